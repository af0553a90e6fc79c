#pragma once

namespace tovrel {

// The main window's progress bar as the flash operations drive it.
class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    virtual void SetProgressMin(int value) = 0;
    virtual void SetProgressMax(int value) = 0;
    virtual void SetProgressValue(int value) = 0;
};

}  // namespace tovrel

#pragma once

class QDialog;
class QWidget;

namespace tovrel {

// Shows the dialog and waits for its answer, as a modal dialog does for the user: the
// window gets no input meanwhile and hands the activation back to the dialog. Unlike a modal
// dialog it still hears its close box, so closing during a command that waits here ends the
// program when the command ends instead of being lost. Without a window the dialog is
// simply modal. Returns the dialog's result.
int WaitForDialog(QDialog& dialog, QWidget* window);

}  // namespace tovrel

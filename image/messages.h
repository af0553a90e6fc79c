#pragma once

#include <string>

#include "link/host.h"

namespace tovrel {

// One message box: every text the image and flash operations show is built here.
struct UserMessage {
    std::string text;
    std::string title;
};

void ShowMessage(Host& host, const UserMessage& message);

UserMessage InvalidHexFileMessage();
UserMessage HexFileTooBigMessage();
UserMessage ChecksumMismatchMessage();
UserMessage DataflashAddressTooLargeMessage();
UserMessage InvalidRunAddressMessage();
UserMessage CannotOpenFileMessage(const std::string& path);
UserMessage CannotWriteFileMessage(const std::string& path);
// More than kMaxFileBytes: no download file is that large.
UserMessage FileTooLargeMessage(const std::string& path);
// A record at F800 hex or above, where the page image of the quick download and the verify
// ends.
UserMessage OutsideCodeImageMessage(const std::string& path);
// A record that runs past FFFF hex, where the 16-bit record address of the 'W' frame ends.
UserMessage BeyondAddressSpaceMessage(const std::string& path);

}  // namespace tovrel

#include "image/messages.h"

#include "config/tr.h"

namespace tovrel {
namespace {

constexpr const char* kWarningTitle = "Warning";
constexpr const char* kHexFileWarningTitle = "Warning Hex File";

}  // namespace

void ShowMessage(Host& host, const UserMessage& message) {
    host.MessageBox(message.text, message.title);
}

UserMessage InvalidHexFileMessage() { return {"Invalid Hex File", kWarningTitle}; }

UserMessage HexFileTooBigMessage() { return {"Hex File too big", kHexFileWarningTitle}; }

UserMessage ChecksumMismatchMessage() {
    return {"Checksum of file to download does not match required checksum ",
            "Tovrel - Hex File Error"};
}

UserMessage DataflashAddressTooLargeMessage() {
    return {
        "A data flash memory address specified in the text file is larger than that "
        "allowed for this Pellicon",
        kProgramTitle};
}

UserMessage InvalidRunAddressMessage() { return {"Invalid Run Address", "Warning Address"}; }

UserMessage CannotOpenFileMessage(const std::string& path) {
    return {Tr("Cannot open file %1", path), kWarningTitle};
}

UserMessage CannotWriteFileMessage(const std::string& path) {
    return {Tr("Cannot write file %1", path), kWarningTitle};
}

UserMessage FileTooLargeMessage(const std::string& path) {
    return {Tr("File %1 is larger than 64 MiB, far beyond any download file: nothing of it is "
               "sent",
               path),
            kWarningTitle};
}

UserMessage OutsideCodeImageMessage(const std::string& path) {
    return {Tr("Hex file %1 holds code at address F800 hex or above, outside the code image "
               "(0000 to F7FF hex) that the quick download and the verify cover",
               path),
            kHexFileWarningTitle};
}

UserMessage BeyondAddressSpaceMessage(const std::string& path) {
    return {Tr("Hex file %1 holds a record that runs past address FFFF hex", path),
            kHexFileWarningTitle};
}

}  // namespace tovrel

#pragma once

#include <array>
#include <string>

#include "image/code_image.h"

namespace tovrel {

inline constexpr const char* kVerifyHexName = "verify.hex";
inline constexpr const char* kVerifyBinName = "verify.bin";

// Which pages of the read-back image verified.
using VerifiedPages = std::array<bool, kPageCount>;

// Everything of a path up to and including its last folder separator ("/"; on Windows also
// "\"), empty when there is none.
std::string FolderPart(const std::string& path);

// The text of "verify.hex": 16 records of 16 bytes for every page, in address order, then the
// end record; a page that did not verify is written as records of FF in every byte. Lines
// end with CR LF.
std::string VerifyHexText(const CodeImage& readBack, const VerifiedPages& verified);

// A code flash read back as a download file: the same records for pages 0 to pageCount - 1,
// but without the pages that are all FF, then the end record.
std::string ReadBackHexText(const CodeImage& image, std::size_t pageCount);

}  // namespace tovrel

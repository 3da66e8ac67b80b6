#pragma once
// Whole-file reads that cannot hang or run away: only regular files are read
// (a folder, a device such as /dev/zero, a pipe or a socket is refused without
// reading, and a pipe is never waited on), and the size is checked against a
// cap before reading and again while reading, in case the file grows.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/result.h"

namespace qgu::base {

// Errors name the path: "<path> is a folder, not a file", "<path> is not a
// regular file", "<path> is N bytes, more than the M such a file can be",
// "Unable to open <path>: <reason>".
Result<std::string> ReadFileText(const std::filesystem::path& path, size_t maxBytes);
Result<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path, size_t maxBytes);

// The first maxBytes bytes (or fewer) of a regular file of any size, for
// formats that use only the start of a file.
Result<std::vector<uint8_t>> ReadFileStart(const std::filesystem::path& path, size_t maxBytes);

// Standard input to its end, refused once it holds more than maxBytes
// ("standard input holds more than M bytes"): a pipe or a device without end
// is read only that far.
Result<std::string> ReadStandardInput(size_t maxBytes);

}  // namespace qgu::base

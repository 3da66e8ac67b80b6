#pragma once
// Whole-file writes that never leave a half-written file behind.

#include <filesystem>
#include <string_view>

#include "league/result.h"

namespace qgu::league {

// Writes a file that must not exist yet. ok(true): written; ok(false): the
// name is taken (nothing written); error: the write failed and whatever was
// created is removed again.
Result<bool> CreateNewFile(const std::filesystem::path& path, std::string_view content);

// Replaces an existing file: writes "<path>.tmp", flushes it to disk and
// closes it, and only then puts it in the old file's place. On any failure
// the old file is left as it was and the temporary file is removed.
Status ReplaceFileContents(const std::filesystem::path& path, std::string_view content);

// "<path>.tmp", the temporary name used while replacing a file.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

}  // namespace qgu::league

#pragma once
// Whole-file writes that never leave a half-written file behind and never
// remove or overwrite anything the program did not create itself.

#include <filesystem>
#include <string_view>

#include "base/result.h"

namespace qgu::base {

// Writes a file that must not exist yet, flushed to disk. ok(true): written;
// ok(false): the name is taken (nothing written); error: the write failed and
// the file it had created is removed again.
Result<bool> CreateNewFile(const std::filesystem::path& path, std::string_view content);

// Puts a file with this content in place of path, which may or may not exist
// yet: the content goes into a new temporary file beside it ("<path>.tmp", or
// another free name when that one is taken), is flushed to disk and closed,
// and only then renamed over path. On any failure path is left as it was and
// only the temporary file is removed. A path that names anything but a
// regular file (a folder, a device, a pipe) is refused and left alone.
Status ReplaceFile(const std::filesystem::path& path, std::string_view content);

// "<path>.tmp", the first temporary name ReplaceFile tries.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

// Flushes a folder's entries (new names, renames) to disk.
Status SyncFolder(const std::filesystem::path& folder);

}  // namespace qgu::base

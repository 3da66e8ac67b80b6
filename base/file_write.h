#pragma once
// Whole-file writes that never leave a half-written file behind and never
// remove or overwrite anything the program did not create itself.

#include <filesystem>
#include <string_view>

#include "base/result.h"

namespace qgu::base {

// Writes a file that must not exist yet, flushed to disk. The content goes
// into a temporary file beside it first and takes the name only when whole,
// so the name never shows a part of it. ok(true): written; ok(false): the
// name is taken (nothing written, nothing replaced); error: the write failed
// and nothing of it is left.
Result<bool> CreateNewFile(const std::filesystem::path& path, std::string_view content);

// Renames a file or folder to a name that must be free. ok(false): the name
// is taken and both are left as they were; a taken name is never replaced.
Result<bool> RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Whether a file name is one of the temporary names these writes use
// ("<name>.tmp", "<name>.tmp.<pid>-<n>"): what a write that was cut short
// leaves. The base name before ".tmp" is returned through `written`.
bool IsTemporaryName(const std::string& fileName, std::string* written = nullptr);

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

#pragma once
// Saves never silently overwrite a record file that another program changed
// after the editor read it: the file's size and time are compared with those
// taken at reading, and a difference asks the user first.

#include <filesystem>
#include <optional>

#include "editors/record_saves.h"

class QWidget;

namespace qgu::editors {

// True when the file is as it was read (or gone, so there is nothing to
// overwrite), or when the user agrees to replace it.
bool MayReplace(QWidget* owner, const std::filesystem::path& path, const std::optional<FileStamp>& whenRead);

}  // namespace qgu::editors

#pragma once
// Whole-file writes of the league store: the base helpers, which never leave
// a half-written file behind.

#include "base/file_write.h"
#include "league/result.h"

namespace qgu::league {

using base::CreateNewFile;
using base::TemporaryPathFor;

// Replaces a file through a temporary one beside it (see base::ReplaceFile).
inline Status ReplaceFileContents(const std::filesystem::path& path, std::string_view content) {
  return base::ReplaceFile(path, content);
}

}  // namespace qgu::league

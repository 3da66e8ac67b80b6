#include "toolserver/media_files.h"

#include <dlfcn.h>

#include <system_error>

namespace qgu::toolserver {
namespace {

namespace fs = std::filesystem;

// The file this code was loaded from: libqghelper.so, or a program linking it.
fs::path OwnFile() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&OwnFile), &info) == 0 || info.dli_fname == nullptr) return {};
  std::error_code error;
  fs::path file = fs::canonical(info.dli_fname, error);
  return error ? fs::path(info.dli_fname) : file;
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

std::optional<fs::path> FindMediaFile(std::string_view relativePath) {
  const fs::path relative(relativePath);
  if (IsFile(relative)) return relative;
#ifdef QGU_DATA_FROM_MODULE
  const fs::path installed = (OwnFile().parent_path() / QGU_DATA_FROM_MODULE / relative).lexically_normal();
  if (IsFile(installed)) return installed;
#endif
#ifdef QGU_RESOURCE_DIR
  const fs::path source = fs::path(QGU_RESOURCE_DIR) / relative;
  if (IsFile(source)) return source;
#endif
  return std::nullopt;
}

}  // namespace qgu::toolserver

#include "base/data_home.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#ifndef QGU_DATA_FROM_BINDIR
#define QGU_DATA_FROM_BINDIR "../share/qgu"
#endif

namespace qgu::base {

namespace fs = std::filesystem;

namespace {

bool IsAbsoluteSetting(const char* value) { return value != nullptr && value[0] == '/'; }

// mkdir -p with mode 0700 for the folders it makes; existing ones stay as they are.
Status MakeFolders(const fs::path& folder) {
  fs::path made;
  for (const fs::path& part : folder) {
    made /= part;
    if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
      return Fail("cannot make the folder " + made.string() + ": " + std::strerror(errno));
    }
  }
  std::error_code error;
  if (!fs::is_directory(folder, error)) return Fail(folder.string() + " is not a folder");
  return {};
}

}  // namespace

fs::path UserDataFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); IsAbsoluteSetting(data)) return fs::path(data) / "qgu";
  const char* home = std::getenv("HOME");
  return fs::path(IsAbsoluteSetting(home) ? home : "/") / ".local" / "share" / "qgu";
}

bool HoldsProgramData(const fs::path& folder) {
  std::error_code error;
  return fs::is_directory(folder / "qgu_lge", error) || fs::is_regular_file(folder / "qgu.ini", error);
}

bool RunsInstalled() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return false;
  return fs::is_directory(self.parent_path() / QGU_DATA_FROM_BINDIR, error);
}

Result<fs::path> EnterDataFolder(bool dataHomeAsked) {
  std::error_code error;
  const fs::path here = fs::current_path(error);
  if (!dataHomeAsked && !error && (HoldsProgramData(here) || !RunsInstalled())) return here;
  const fs::path folder = UserDataFolder();
  if (Status made = MakeFolders(folder); !made) return Fail(made.error());
  if (::chdir(folder.c_str()) != 0) {
    return Fail("cannot work in the folder " + folder.string() + ": " + std::strerror(errno));
  }
  return folder;
}

}  // namespace qgu::base

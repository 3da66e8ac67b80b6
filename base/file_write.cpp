#include "base/file_write.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace qgu::base {
namespace {

// Other temporary names tried when "<path>.tmp" is taken.
constexpr int kMaxTemporaryNames = 100;

std::string Describe(const std::filesystem::path& path, int error) {
  return path.string() + ": " + std::strerror(error);
}

// Writes everything, syncs and closes. Returns 0 or the errno of the failure.
int WriteAllAndClose(int fd, std::string_view content) {
  int error = 0;
  while (!content.empty() && error == 0) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno != EINTR) error = errno;
    } else {
      content.remove_prefix(static_cast<size_t>(written));
    }
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

int CreateExclusive(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
}

struct Temporary {
  std::filesystem::path path;
  int fd = -1;
};

// A new file of our own beside path; never one that was there before.
Result<Temporary> CreateTemporary(const std::filesystem::path& path) {
  Temporary temporary{TemporaryPathFor(path)};
  for (int attempt = 0; attempt < kMaxTemporaryNames; ++attempt) {
    if (attempt > 0) {
      temporary.path = TemporaryPathFor(path);
      temporary.path += "." + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    }
    temporary.fd = CreateExclusive(temporary.path);
    if (temporary.fd >= 0) return temporary;
    if (errno != EEXIST && errno != EISDIR) break;
  }
  return Fail("Unable to create " + Describe(temporary.path, errno));
}

}  // namespace

std::filesystem::path TemporaryPathFor(const std::filesystem::path& path) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  return temporary;
}

Result<bool> CreateNewFile(const std::filesystem::path& path, std::string_view content) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) == 0) return false;
  Result<Temporary> temporary = CreateTemporary(path);
  if (!temporary) return Fail(temporary.error());
  const std::filesystem::path& written = temporary.value().path;
  if (const int error = WriteAllAndClose(temporary.value().fd, content); error != 0) {
    ::unlink(written.c_str());
    return Fail("Unable to write " + Describe(written, error));
  }
  Result<bool> placed = RenameNoReplace(written, path);
  if (!placed || !placed.value()) ::unlink(written.c_str());
  return placed;
}

Result<bool> RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) return Fail("Unable to rename " + from.string() + " to " + Describe(to, errno));
  // A file system without the flag: a hard link fails on a taken name as well.
  struct stat status {};
  if (::lstat(from.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
    if (::link(from.c_str(), to.c_str()) != 0) {
      if (errno == EEXIST) return false;
      return Fail("Unable to rename " + from.string() + " to " + Describe(to, errno));
    }
    ::unlink(from.c_str());
    return true;
  }
  // A folder there: rename() would replace an empty folder, so look first.
  if (::lstat(to.c_str(), &status) == 0) return false;
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    if (errno == EEXIST || errno == ENOTEMPTY) return false;
    return Fail("Unable to rename " + from.string() + " to " + Describe(to, errno));
  }
  return true;
}

bool IsTemporaryName(const std::string& fileName, std::string* written) {
  const size_t at = fileName.rfind(".tmp");
  if (at == std::string::npos || at == 0) return false;
  const std::string_view rest = std::string_view(fileName).substr(at + 4);
  if (!rest.empty()) {
    // ".<pid>-<attempt>"
    if (rest.size() < 4 || rest[0] != '.') return false;
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos || dash < 2 || dash + 1 == rest.size()) return false;
    for (size_t i = 1; i < rest.size(); ++i) {
      if (i != dash && (rest[i] < '0' || rest[i] > '9')) return false;
    }
  }
  if (written != nullptr) *written = fileName.substr(0, at);
  return true;
}

Status ReplaceFile(const std::filesystem::path& path, std::string_view content) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    return Fail("Unable to write " + path.string() + ": it is " +
                (S_ISDIR(status.st_mode) ? "a folder" : "not a regular file") + " and is left as it is");
  }
  Result<Temporary> temporary = CreateTemporary(path);
  if (!temporary) return Fail(temporary.error());
  const std::filesystem::path& written = temporary.value().path;
  if (const int error = WriteAllAndClose(temporary.value().fd, content); error != 0) {
    ::unlink(written.c_str());
    return Fail("Unable to write " + Describe(written, error));
  }
  // rename() swaps the complete new file in at once: there is never a moment
  // without the file, and a failure leaves the old one untouched.
  if (std::rename(written.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(written.c_str());
    return Fail("Unable to replace " + Describe(path, error));
  }
  return {};
}

Status SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail("Unable to open " + Describe(folder, errno));
  const int error = ::fsync(fd) != 0 ? errno : 0;
  ::close(fd);
  if (error != 0 && error != EINVAL) return Fail("Unable to flush " + Describe(folder, error));
  return {};
}

}  // namespace qgu::base

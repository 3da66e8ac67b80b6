#include "league/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace qgu::league {
namespace {

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

}  // namespace

std::filesystem::path TemporaryPathFor(const std::filesystem::path& path) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  return temporary;
}

Result<bool> CreateNewFile(const std::filesystem::path& path, std::string_view content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return false;
    return Fail("Unable to create " + Describe(path, errno));
  }
  if (const int error = WriteAllAndClose(fd, content); error != 0) {
    ::unlink(path.c_str());
    return Fail("Unable to write " + Describe(path, error));
  }
  return true;
}

Status ReplaceFileContents(const std::filesystem::path& path, std::string_view content) {
  const std::filesystem::path temporary = TemporaryPathFor(path);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Fail("Unable to create " + Describe(temporary, errno));
  if (const int error = WriteAllAndClose(fd, content); error != 0) {
    ::unlink(temporary.c_str());
    return Fail("Unable to write " + Describe(temporary, error));
  }
  // rename() swaps the complete new file in at once: there is never a moment
  // without a record file, and a failure leaves the old one untouched.
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Fail("Unable to replace " + Describe(path, error));
  }
  return {};
}

}  // namespace qgu::league

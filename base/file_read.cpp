#include "base/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <utility>

namespace qgu::base {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

std::string TooLarge(const std::filesystem::path& path, uintmax_t size, size_t maxBytes) {
  return path.string() + " is " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) +
         " such a file can be";
}

// Opens a regular file for reading; anything else is refused without a read.
Result<int> OpenRegularFile(const std::filesystem::path& path, struct stat& status) {
  // Non-blocking, so that opening a pipe with no writer returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Fail("Unable to open " + path.string() + ": " + std::strerror(errno));
  FileDescriptor file(fd);
  if (::fstat(fd, &status) != 0) return Fail("Unable to open " + path.string() + ": " + std::strerror(errno));
  if (S_ISDIR(status.st_mode)) return Fail(path.string() + " is a folder, not a file");
  if (!S_ISREG(status.st_mode)) return Fail(path.string() + " is not a regular file");
  return file.release();
}

// Reads until the end or until the buffer holds limit bytes. Returns false on
// a read error (errno says which).
template <class Buffer>
bool ReadUpTo(int fd, Buffer& buffer, size_t limit) {
  size_t used = buffer.size();
  for (;;) {
    if (used == limit) break;
    if (buffer.size() == used) buffer.resize(std::min(std::max({used * 2, buffer.capacity(), size_t{4096}}), limit));
    const ssize_t got = ::read(fd, buffer.data() + used, buffer.size() - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      buffer.resize(used);
      return false;
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  buffer.resize(used);
  return true;
}

template <class Buffer>
Result<Buffer> ReadWhole(const std::filesystem::path& path, size_t maxBytes) {
  struct stat status {};
  Result<int> opened = OpenRegularFile(path, status);
  if (!opened) return Fail(opened.error());
  const FileDescriptor file(opened.value());
  if (static_cast<uintmax_t>(status.st_size) > maxBytes) {
    return Fail(TooLarge(path, static_cast<uintmax_t>(status.st_size), maxBytes));
  }
  Buffer buffer;
  buffer.reserve(static_cast<size_t>(status.st_size) + 1);
  // One byte past the cap tells a file that grew while being read.
  if (!ReadUpTo(file.get(), buffer, maxBytes + 1)) {
    return Fail("Unable to read " + path.string() + ": " + std::strerror(errno));
  }
  if (buffer.size() > maxBytes) return Fail(TooLarge(path, buffer.size(), maxBytes));
  return buffer;
}

}  // namespace

Result<std::string> ReadFileText(const std::filesystem::path& path, size_t maxBytes) {
  return ReadWhole<std::string>(path, maxBytes);
}

Result<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path, size_t maxBytes) {
  return ReadWhole<std::vector<uint8_t>>(path, maxBytes);
}

Result<std::vector<uint8_t>> ReadFileStart(const std::filesystem::path& path, size_t maxBytes) {
  struct stat status {};
  Result<int> opened = OpenRegularFile(path, status);
  if (!opened) return Fail(opened.error());
  const FileDescriptor file(opened.value());
  std::vector<uint8_t> buffer;
  if (!ReadUpTo(file.get(), buffer, maxBytes)) return Fail("Unable to read " + path.string() + ": " + std::strerror(errno));
  return buffer;
}

Result<std::string> ReadStandardInput(size_t maxBytes) {
  std::string buffer;
  if (!ReadUpTo(STDIN_FILENO, buffer, maxBytes + 1)) {
    return Fail(std::string("Unable to read standard input: ") + std::strerror(errno));
  }
  if (buffer.size() > maxBytes) return Fail("standard input holds more than " + std::to_string(maxBytes) + " bytes");
  return buffer;
}

}  // namespace qgu::base

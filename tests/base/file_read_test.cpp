#include "base/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace qgu::base {
namespace {

namespace fs = std::filesystem;
using qgu::testing::TempFolder;
using qgu::testing::WriteBytes;

constexpr size_t kCap = 4096;

// Every kind of path that is not a small regular file is refused at once,
// without reading: none of these may hang or fill the memory.
TEST(BoundedFileRead, OnlySmallRegularFilesAreRead) {
  TempFolder folder;
  WriteBytes(folder / "small.dat", "hello");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  const int sparse = ::open((folder / "sparse.dat").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(sparse, 0);
  ASSERT_EQ(::ftruncate(sparse, off_t{2} << 30), 0);  // 2 GB of nothing
  ::close(sparse);

  struct Case {
    fs::path path;
    std::string error;  // empty: read
  };
  const Case cases[] = {
      {folder / "small.dat", ""},
      {"/dev/zero", "/dev/zero is not a regular file"},
      {folder / "pipe", (folder / "pipe").string() + " is not a regular file"},
      {folder.path(), folder.path().string() + " is a folder, not a file"},
      {folder / "sparse.dat", (folder / "sparse.dat").string() + " is 2147483648 bytes, more than the 4096 such a file can be"},
      {folder / "missing.dat", "Unable to open " + (folder / "missing.dat").string() + ": No such file or directory"},
  };
  for (const Case& c : cases) {
    const Result<std::string> text = ReadFileText(c.path, kCap);
    if (c.error.empty()) {
      ASSERT_TRUE(text.ok()) << text.error();
      EXPECT_EQ(text.value(), "hello");
    } else {
      ASSERT_FALSE(text.ok()) << c.path;
      EXPECT_EQ(text.error(), c.error);
      EXPECT_FALSE(ReadFileBytes(c.path, kCap).ok()) << c.path;
    }
  }
  WriteBytes(folder / "exact.dat", std::string(kCap, 'x'));
  EXPECT_EQ(ReadFileBytes(folder / "exact.dat", kCap).value().size(), kCap);
}

}  // namespace
}  // namespace qgu::base

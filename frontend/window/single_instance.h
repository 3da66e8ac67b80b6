#pragma once
// CSingleInstance: one running qgu2 per user. The first start takes an
// advisory lock on a file named after the instance name in the user's runtime
// folder; a second start finds it taken. The lock goes with the process, so
// a crashed program never leaves a stale one behind.

#include <filesystem>
#include <string>

namespace qgu::frontend {

inline constexpr const char* kInstanceName = "{DA56047E-C594-4bed-A907-A9E188510AA1}";

class CSingleInstance {
 public:
  // folder: where the lock file lives; by default $XDG_RUNTIME_DIR, else the
  // temporary folder.
  explicit CSingleInstance(std::filesystem::path folder = DefaultFolder(), std::string name = kInstanceName);
  ~CSingleInstance();
  CSingleInstance(const CSingleInstance&) = delete;
  CSingleInstance& operator=(const CSingleInstance&) = delete;

  // True when this process now holds the lock (also when it cannot be made at
  // all: a missing runtime folder must not keep the user from playing).
  bool Acquire();
  void Release();
  const std::filesystem::path& LockFile() const { return file_; }

  static std::filesystem::path DefaultFolder();

 private:
  std::filesystem::path file_;
  int fd_ = -1;
};

}  // namespace qgu::frontend

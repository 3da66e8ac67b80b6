#pragma once
// One writer at a time in a folder: an advisory lock (flock) on the folder
// itself, so no lock file ever shows in a listing. Every program that changes
// a league folder (import, new team, editor saves, default league) holds its
// folder's lock while it lists what is there and writes; creating or
// renaming leagues holds the leagues folder's lock. The lock ends with its
// holder, however the holder ends. Locks are taken leagues folder first,
// league folder second, never the other way round. A thread that asks again
// for a folder it holds (under another name, say through a link) is refused
// rather than left waiting on itself for ever.

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "league/result.h"

namespace qgu::league {

class FolderLock {
 public:
  // Waits until no other holder has the folder.
  static Result<FolderLock> Take(const std::filesystem::path& folder);
  // Nothing when another holder has the folder at this moment.
  static Result<std::optional<FolderLock>> TryTake(const std::filesystem::path& folder);

  FolderLock(FolderLock&& other) noexcept : fd_(other.fd_), held_(other.held_) { other.fd_ = -1; }
  FolderLock& operator=(FolderLock&&) = delete;
  FolderLock(const FolderLock&) = delete;
  ~FolderLock();

 private:
  struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Identity&) const = default;
  };
  struct Holders;
  FolderLock(int fd, Identity held) : fd_(fd), held_(held) {}
  static Result<std::optional<FolderLock>> Lock(const std::filesystem::path& folder, bool wait);
  int fd_;
  Identity held_;
};

}  // namespace qgu::league

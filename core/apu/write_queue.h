#pragma once
// The ring of register writes between CPU time and the sound output's time.
// Appends never test for a full ring: 4096 unread writes make head meet tail,
// the ring reads as empty and those writes are lost.

#include <array>
#include <cstdint>

namespace qgu::core {

struct SoundWrite {
  uint32_t time;  // CPU total cycles at the write (wrapping)
  uint16_t address;
  uint8_t data;
};

class CSoundWriteQueue {
 public:
  static constexpr uint32_t kEntries = 4096;

  void Append(const SoundWrite& write) {
    entries_[head_] = write;
    head_ = (head_ + 1) & kMask;
  }
  bool Empty() const { return head_ == tail_; }
  const SoundWrite& Front() const { return entries_[tail_]; }
  void Pop() { tail_ = (tail_ + 1) & kMask; }
  void Clear() { head_ = tail_ = 0; }

 private:
  static constexpr uint32_t kMask = kEntries - 1;
  std::array<SoundWrite, kEntries> entries_{};
  uint32_t head_ = 0;  // advanced only by the CPU side
  uint32_t tail_ = 0;  // advanced only by the output side
};

}  // namespace qgu::core

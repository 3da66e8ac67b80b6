#include "core/cartridge.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/machine.h"

namespace qgu::core {

namespace {

constexpr int kSoundProgramBytes = 0x60000;
constexpr int kSoundHeaderBytes = 128;

bool StartsWith(std::span<const uint8_t> buffer, const char (&magic)[5]) {
  return std::memcmp(buffer.data(), magic, 4) == 0;
}

}  // namespace

CCartridge::CCartridge(std::span<const uint8_t> image) {
  // Work on a fixed-size buffer so every offset below stays inside it.
  std::vector<uint8_t> buffer(kImageBufferBytes, 0);
  std::copy_n(image.begin(), std::min<size_t>(image.size(), buffer.size()), buffer.begin());
  std::copy_n(buffer.begin(), header_.size(), header_.begin());

  if (StartsWith(buffer, "NES\x1A")) {
    LoadInes(buffer);
  } else if (StartsWith(buffer, "NESM")) {
    LoadSoundFile(buffer);
  } else {
    throw MachineError("The cartridge image has no iNES header.");
  }
  mapperNumber_ = (header_[7] & 0xF0) | (header_[6] >> 4);
}

CCartridge::~CCartridge() = default;

void CCartridge::LoadInes(std::span<const uint8_t> buffer) {
  const size_t programBytes = size_t{header_[4]} * 16384;
  const size_t characterBytes = size_t{header_[5]} * 8192;
  const size_t dataStart = HasTrainer() ? 16 + kTrainerBytes : 16;
  if (programBytes == 0) throw MachineError("The cartridge image has no program ROM.");
  if (programBytes + characterBytes > buffer.size() || dataStart + programBytes > buffer.size()) {
    throw MachineError("The cartridge image is larger than " + std::to_string(buffer.size()) + " bytes.");
  }
  programRom_.assign(buffer.begin() + dataStart, buffer.begin() + dataStart + programBytes);
  if (characterBytes != 0) {
    // Cut at the end of the buffer; the missing tail reads as zeros so that
    // bank arithmetic over the declared size stays inside the allocation.
    characterRom_.assign(characterBytes, 0);
    const size_t from = dataStart + programBytes;
    const size_t available = std::min(characterBytes, buffer.size() - from);
    std::copy_n(buffer.begin() + from, available, characterRom_.begin());
  }
  if (HasTrainer()) trainer_.assign(buffer.begin() + 16, buffer.begin() + 16 + kTrainerBytes);
}

void CCartridge::LoadSoundFile(std::span<const uint8_t> buffer) {
  std::copy_n(buffer.begin(), kSoundHeaderBytes, soundHeader_.begin());
  programRom_.assign(kSoundProgramBytes, 0);
  std::copy(buffer.begin() + kSoundHeaderBytes, buffer.end(), programRom_.begin());
  soundFile_ = true;
}

}  // namespace qgu::core

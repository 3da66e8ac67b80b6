#pragma once
// Runs a cartridge image on a machine built with the test-program mapper
// factory (NROM as well as MMC3), presses buttons, and reads the results the
// public test programs leave in memory.
//
//   CRomRunner rom(ReadBinaryFile("instr_test-v5/01-basics.nes"));
//   int status = rom.RunUntilDone(3000);  // 0 = passed; rom.Text() says why not

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/machine.h"
#include "core/machine_settings.h"

namespace qgu::tools {

// The whole file, which must be a regular file of a cartridge image's size at
// most; throws std::runtime_error saying why it cannot be read.
std::vector<uint8_t> ReadBinaryFile(const std::string& path);

// Host button mask (core::HostButton bits) from text such as "A", "START",
// "A+RIGHT"; names: UP DOWN LEFT RIGHT A B SELECT START. Returns -1 for an
// unknown name.
int ParseButtons(const std::string& text);

// The $6000 protocol on any machine: the signature at $6001-$6003 (DE B0 61)
// and the zero-terminated text from $6004.
bool HasTestSignature(const core::CMachine& machine);
std::string TestText(const core::CMachine& machine);

// The registers the public CPU reference trace starts from: PC at `pc`,
// A X Y 0, P $24, SP $FD, 7 cycles counted for the reset sequence.
void StartAsReferenceTrace(core::CMachine& machine, uint16_t pc);

class CRomRunner {
 public:
  // Status values of the $6000 protocol.
  static constexpr int kRunning = 0x80;
  static constexpr int kNeedsReset = 0x81;
  static constexpr int kTimedOut = -1;

  explicit CRomRunner(const std::string& path, const core::MachineSettings& settings = {},
                      const core::GameOptionLoader& options = {});
  explicit CRomRunner(const std::vector<uint8_t>& image, const core::MachineSettings& settings = {},
                      const core::GameOptionLoader& options = {});

  core::CMachine& Machine() { return *machine_; }

  // Runs frames with the held buttons sampled before each one.
  void RunFrames(int frames, bool draw = true);
  // Holds host buttons (core::HostButton bits) on a pad until changed.
  void Hold(int pad, uint16_t hostButtons);

  // The $6000 protocol of the newer programs.
  bool HasSignature() const { return HasTestSignature(*machine_); }
  int Status() const;  // $6000
  std::string Text() const { return TestText(*machine_); }
  // Runs until the status is final (0x00-0x7F), pressing reset when asked;
  // returns the status or kTimedOut after maxFrames frames.
  int RunUntilDone(int maxFrames);

  uint8_t Peek(uint16_t address) const { return machine_->PeekByte(address); }

  // The older programs (branch timing, sprite hit, picture unit singles) show
  // their result on screen and keep it in zero page, mostly at $F8: 1 =
  // passed, 2 and up = the failing test's number; the byte counts up while
  // tests run.
  static constexpr uint16_t kOldResultAddress = 0x00F8;
  // Runs `frames` frames (enough for the program to finish), then returns
  // the result byte.
  int OldResultAfter(int frames, uint16_t address = kOldResultAddress);

 private:
  std::unique_ptr<core::CMachine> machine_;
  uint16_t held_[4] = {};
  int frames_ = 0;
};

}  // namespace qgu::tools

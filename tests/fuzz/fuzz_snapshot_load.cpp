// A snapshot file loaded into a fresh machine (MMC3, battery RAM, character
// RAM, so that every block's optional parts are read), then a frame run on
// whatever was loaded: any bytes must load or fail with SnapshotError, and
// never take the machine outside its memory.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "core/machine.h"
#include "core/mappers/mapper_factory.h"
#include "core/snapshot.h"

namespace {

// 32 KB of program (a loop that turns rendering and the NMI on and writes the
// sound registers), no character ROM, battery RAM, mapper 4.
std::vector<uint8_t> MachineImage() {
  std::vector<uint8_t> image(16 + 32768, 0);
  const uint8_t header[16] = {'N', 'E', 'S', 0x1A, 2, 0, 0x42, 0};
  std::copy(header, header + 16, image.begin());
  const uint8_t program[] = {
      0xA9, 0x80, 0x8D, 0x00, 0x20,  // LDA #$80; STA $2000
      0xA9, 0x1E, 0x8D, 0x01, 0x20,  // LDA #$1E; STA $2001
      0xA9, 0x0F, 0x8D, 0x15, 0x40,  // LDA #$0F; STA $4015
      0xE6, 0x10, 0xA5, 0x10, 0x8D, 0x00, 0x40, 0x8D, 0x02, 0x40, 0x8D, 0x03, 0x40,  // INC $10; sound regs
      0x8D, 0x00, 0xA0, 0x8D, 0x00, 0xC0, 0x8D, 0x01, 0xC0, 0x8D, 0x01, 0xE0,  // MMC3 mirroring, IRQ
      0x4C, 0x0F, 0x80,  // back to INC $10
  };
  std::copy(std::begin(program), std::end(program), image.begin() + 16);
  const uint8_t vectors[] = {0x0F, 0x80, 0x00, 0x80, 0x0F, 0x80};  // NMI, reset, IRQ
  std::copy(std::begin(vectors), std::end(vectors), image.begin() + 16 + 32768 - 6);
  return image;
}

const std::string& ScratchPath() {
  static const std::string path = [] {
    char name[] = "/tmp/qgu-fuzz-snapshot-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qgu::core;
  static const std::vector<uint8_t> image = MachineImage();
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  CMachine machine(image, MachineSettings{}, ProductMapperFactory());
  try {
    machine.LoadSnapshot(ScratchPath());
  } catch (const SnapshotError&) {
    // refused; the blocks read before stay applied and must still run
  }
  machine.RunFrame(true);
  return 0;
}

#include "cartridge/builder/embedded_image.h"

// The image file is pulled in by the assembler, which is far quicker than
// compiling a generated array of 393,232 initialisers.
asm(R"(
  .section .rodata.qgu_cartridge_image,"a",@progbits
  .balign 16
  .globl qgu_cartridge_image_begin
  .hidden qgu_cartridge_image_begin
qgu_cartridge_image_begin:
  .incbin ")" QGU_CARTRIDGE_IMAGE R"("
  .globl qgu_cartridge_image_end
  .hidden qgu_cartridge_image_end
qgu_cartridge_image_end:
  .previous
)");

extern "C" const uint8_t qgu_cartridge_image_begin[];
extern "C" const uint8_t qgu_cartridge_image_end[];

namespace qgu::cartridge {

std::span<const uint8_t> EmbeddedCartridgeImage() {
  return {qgu_cartridge_image_begin, qgu_cartridge_image_end};
}

}  // namespace qgu::cartridge

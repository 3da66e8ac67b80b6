#include "core/mappers/mapper_nrom.h"

#include "core/machine.h"

namespace qgu::core {

void CMapperNrom::Reset() {
  // 16 KB images appear twice; bank numbers wrap by the program size.
  machine_.Memory().SetProgramBanks(0, 1, 2, 3);
}

}  // namespace qgu::core

#include "core/mappers/mapper_factory.h"

#include "core/mappers/mapper_mmc3.h"
#include "core/mappers/mapper_nrom.h"

namespace qgu::core {

MapperFactory ProductMapperFactory() {
  return [](int mapperNumber, CMachine& machine) -> std::unique_ptr<CMapper> {
    if (mapperNumber == CMapperMmc3::kMapperNumber) return std::make_unique<CMapperMmc3>(machine);
    return nullptr;
  };
}

MapperFactory TestProgramMapperFactory() {
  return [product = ProductMapperFactory()](int mapperNumber, CMachine& machine) -> std::unique_ptr<CMapper> {
    if (mapperNumber == CMapperNrom::kMapperNumber) return std::make_unique<CMapperNrom>(machine);
    return product(mapperNumber, machine);
  };
}

}  // namespace qgu::core

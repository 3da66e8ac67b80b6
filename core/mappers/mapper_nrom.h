#pragma once
// CMapperNrom (mapper 0): no bank switching. Only the public test programs
// use it; the product's factory never builds it.

#include "core/mappers/mapper.h"

namespace qgu::core {

class CMapperNrom : public CMapper {
 public:
  static constexpr int kMapperNumber = 0;

  explicit CMapperNrom(CMachine& machine) : CMapper(machine) { plainCartridgeRam_ = true; }
  void Reset() override;
};

}  // namespace qgu::core

#pragma once
// Which boards a machine may be built with. The product factory knows only
// MMC3 (mapper 4); the public test programs need a factory with NROM as well.

#include <functional>
#include <memory>

namespace qgu::core {

class CMachine;
class CMapper;

// Returns the mapper for a mapper number, or null when the board is unknown.
using MapperFactory = std::function<std::unique_ptr<CMapper>(int mapperNumber, CMachine& machine)>;

MapperFactory ProductMapperFactory();

}  // namespace qgu::core

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

// MMC3 only: what qgu2 builds its machines with.
MapperFactory ProductMapperFactory();

// The product's boards plus NROM (mapper 0), for the public test programs
// run by the tests, the benchmarks and qgu-run. qgu2 never uses it.
MapperFactory TestProgramMapperFactory();

}  // namespace qgu::core

#pragma once
// One-line disassembly of the instruction at the CPU's PC, in the layout of
// the public CPU reference trace (address, bytes, instruction, registers,
// picture-unit position and cycle count). Memory is read without side effects.

#include <string>

namespace qgu::core {

class CMachine;

std::string TraceLine(const CMachine& machine);

}  // namespace qgu::core

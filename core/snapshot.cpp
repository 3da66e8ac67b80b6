#include "core/snapshot.h"

#include "core/machine.h"

namespace qgu::core {

void CSnapshot::Save(CMachine&, const std::string&) {}
void CSnapshot::Load(CMachine&, const std::string&) {}

}  // namespace qgu::core

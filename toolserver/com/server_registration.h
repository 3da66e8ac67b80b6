#pragma once
// What registering the tool server writes into the registry file (the
// registrar script with the module's path in place of %MODULE%, and the type
// library's entries), what unregistering removes, and how a client finds the
// module of a ProgID.

#include <filesystem>
#include <string>
#include <string_view>

#include "toolserver/com/com_types.h"
#include "toolserver/com/registry_file.h"

namespace qgu::com {

void RegisterQuoziHelper(RegistryFile& registry, const std::filesystem::path& modulePath);
void UnregisterQuoziHelper(RegistryFile& registry);

struct ServerLocation {
  CLSID clsid{};
  std::filesystem::path module;
  std::string threadingModel;
};

// ProgID -> class id (through CurVer for a version-independent ProgID) ->
// InprocServer32. Errors say which entry is missing.
Result<ServerLocation> FindInprocServer(const RegistryFile& registry, std::string_view progId);

}  // namespace qgu::com

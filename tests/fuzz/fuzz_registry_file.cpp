// The registry file: any text must read without a crash and write back as it
// was; registering the tool server into it must be found again after the file
// is read back (whatever its line ends), registering again must change
// nothing, and unregistering must give back the file as it was before.

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolserver/com/qghelper_interface.h"
#include "toolserver/com/registry_file.h"
#include "toolserver/com/server_registration.h"

namespace {

using namespace qgu::com;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr const char* kModule = "/opt/qgu/lib/libqghelper.so";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  RegistryFile registry = RegistryFile::Parse(text);
  const std::string written = registry.Serialize();
  Check(written == text || written == text + "\n");
  (void)FindInprocServer(registry, kProgId);

  UnregisterQuoziHelper(registry);
  const std::string without = registry.Serialize();
  RegisterQuoziHelper(registry, kModule);
  const std::string registered = registry.Serialize();

  RegistryFile reread = RegistryFile::Parse(registered);
  for (const std::string_view progId : {kProgId, kVersionIndependentProgId}) {
    const Result<ServerLocation> server = FindInprocServer(reread, progId);
    Check(server.ok());
    Check(server.value().clsid == CLSID_QuoziHelper);
    Check(server.value().module == kModule);
    Check(server.value().threadingModel == kThreadingModel);
  }
  RegisterQuoziHelper(reread, kModule);
  Check(reread.Serialize() == registered);
  UnregisterQuoziHelper(reread);
  Check(reread.Serialize() == without);
  return 0;
}

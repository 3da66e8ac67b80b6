#include "toolserver/com/server_registration.h"

#include "toolserver/com/qghelper_interface.h"

namespace qgu::com {
namespace {

constexpr std::string_view kProgrammable = "Programmable";
constexpr std::string_view kInprocServer = "InprocServer32";
// The standard proxy of dual interfaces, as RegisterTypeLib names it.
constexpr std::string_view kDispatchProxy = "{00020424-0000-0000-C000-000000000046}";
// Where the module of a 64-bit Linux type library is recorded.
constexpr std::string_view kTypeLibraryPlatform = "linux64";

std::string Key(std::string_view a, std::string_view b = {}, std::string_view c = {}) {
  std::string path(a);
  for (std::string_view part : {b, c}) {
    if (!part.empty()) path += "\\" + std::string(part);
  }
  return ClassesRootKey(path);
}

std::string ClassKey() { return Key("CLSID", GuidText(CLSID_QuoziHelper)); }
std::string TypeLibraryKey() { return Key("TypeLib", GuidText(LIBID_QGHELPERLib)); }
std::string InterfaceKey() { return Key("Interface", GuidText(IID_IQuoziHelper)); }

}  // namespace

void RegisterQuoziHelper(RegistryFile& registry, const std::filesystem::path& modulePath) {
  // Stale entries of an earlier registration go first, as the registrar's ForceRemove does.
  UnregisterQuoziHelper(registry);
  const std::string clsid = GuidText(CLSID_QuoziHelper);
  const std::string libid = GuidText(LIBID_QGHELPERLib);
  const std::string dv(kDefaultValueName);

  registry.SetValue(Key(kProgId), dv, kClassName);
  registry.SetValue(Key(kProgId, "CLSID"), dv, clsid);
  registry.SetValue(Key(kVersionIndependentProgId), dv, kClassName);
  registry.SetValue(Key(kVersionIndependentProgId, "CLSID"), dv, clsid);
  registry.SetValue(Key(kVersionIndependentProgId, "CurVer"), dv, kProgId);

  const std::string classKey = ClassKey();
  registry.SetValue(classKey, dv, kClassName);
  registry.SetValue(classKey + "\\ProgID", dv, kProgId);
  registry.SetValue(classKey + "\\VersionIndependentProgID", dv, kVersionIndependentProgId);
  registry.CreateKey(classKey + "\\" + std::string(kProgrammable));
  registry.SetValue(classKey + "\\" + std::string(kInprocServer), dv, modulePath.string());
  registry.SetValue(classKey + "\\" + std::string(kInprocServer), "ThreadingModel", kThreadingModel);
  registry.SetValue(classKey + "\\TypeLib", dv, libid);

  const std::string versionKey = TypeLibraryKey() + "\\" + std::string(kTypeLibraryVersion);
  registry.SetValue(versionKey, dv, kTypeLibraryHelp);
  registry.SetValue(versionKey + "\\0\\" + std::string(kTypeLibraryPlatform), dv, modulePath.string());
  registry.SetValue(versionKey + "\\FLAGS", dv, "0");
  registry.SetValue(versionKey + "\\HELPDIR", dv, modulePath.parent_path().string());

  registry.SetValue(InterfaceKey(), dv, "IQuoziHelper");
  registry.SetValue(InterfaceKey() + "\\ProxyStubClsid32", dv, kDispatchProxy);
  registry.SetValue(InterfaceKey() + "\\TypeLib", dv, libid);
  registry.SetValue(InterfaceKey() + "\\TypeLib", "Version", kTypeLibraryVersion);
}

void UnregisterQuoziHelper(RegistryFile& registry) {
  registry.RemoveKey(Key(kProgId));
  registry.RemoveKey(Key(kVersionIndependentProgId));
  registry.RemoveKey(ClassKey());
  registry.RemoveKey(TypeLibraryKey());
  registry.RemoveKey(InterfaceKey());
}

Result<ServerLocation> FindInprocServer(const RegistryFile& registry, std::string_view progId) {
  std::string name(progId);
  std::optional<std::string> clsidText = registry.Value(Key(name, "CLSID"));
  if (!clsidText) {
    if (std::optional<std::string> current = registry.Value(Key(name, "CurVer"))) {
      clsidText = registry.Value(Key(*current, "CLSID"));
    }
  }
  if (!clsidText) return league::Fail("\"" + name + "\" is not registered");
  const std::optional<GUID> clsid = ParseGuid(*clsidText);
  if (!clsid) return league::Fail("\"" + name + "\" has the malformed class id " + *clsidText);
  const std::string serverKey = Key("CLSID", GuidText(*clsid), kInprocServer);
  const std::optional<std::string> module = registry.Value(serverKey);
  if (!module || module->empty()) return league::Fail("the class " + GuidText(*clsid) + " has no in-process server");
  return ServerLocation{*clsid, *module, registry.Value(serverKey, "ThreadingModel").value_or("")};
}

}  // namespace qgu::com

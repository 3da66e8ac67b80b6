#include "toolserver/com/com_client.h"

#include <dlfcn.h>

#include <cstring>
#include <exception>

#include "toolserver/com/server_registration.h"

namespace qgu::com {
namespace {

template <class Function>
bool Resolve(void* handle, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(handle, name));
  return function != nullptr;
}

}  // namespace

Result<std::shared_ptr<ComModule>> ComModule::Load(const std::filesystem::path& file) {
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return league::Fail("Unable to load " + file.string() + ": " + ::dlerror());
  std::shared_ptr<ComModule> module(new ComModule(handle));
  const bool complete = Resolve(handle, "DllGetClassObject", module->DllGetClassObject) &&
                        Resolve(handle, "DllCanUnloadNow", module->DllCanUnloadNow) &&
                        Resolve(handle, "DllRegisterServer", module->DllRegisterServer) &&
                        Resolve(handle, "DllUnregisterServer", module->DllUnregisterServer) &&
                        Resolve(handle, "SysAllocString", module->SysAllocString) &&
                        Resolve(handle, "SysAllocStringLen", module->SysAllocStringLen) &&
                        Resolve(handle, "SysFreeString", module->SysFreeString) &&
                        Resolve(handle, "SysStringLen", module->SysStringLen);
  if (!complete) return league::Fail(file.string() + " is not a COM-shaped module: an entry point is missing");
  return module;
}

ComModule::~ComModule() {
  // Unloaded only when the module says nothing of it is in use any more.
  if (DllCanUnloadNow == nullptr || DllCanUnloadNow() == S_OK) ::dlclose(handle_);
}

namespace {

Result<HelperObject> CreateFromRegistry(std::string_view progId, const std::filesystem::path& registryPath) {
  Result<RegistryFile> registry = RegistryFile::Load(registryPath);
  if (!registry) return league::Fail(registry.error());
  Result<ServerLocation> server = FindInprocServer(registry.value(), progId);
  if (!server) return league::Fail(server.error() + " in " + registryPath.string());
  Result<std::shared_ptr<ComModule>> module = ComModule::Load(server.value().module);
  if (!module) return league::Fail(module.error());

  IClassFactory* factory = nullptr;
  HRESULT result = module.value()->DllGetClassObject(server.value().clsid, IID_IClassFactory,
                                                     reinterpret_cast<void**>(&factory));
  if (Failed(result) || factory == nullptr) return league::Fail("The module has no class factory for " + std::string(progId));
  ComPtr<IClassFactory> factoryHolder(factory);
  IQuoziHelper* helper = nullptr;
  result = factory->CreateInstance(nullptr, IID_IQuoziHelper, reinterpret_cast<void**>(&helper));
  if (Failed(result) || helper == nullptr) return league::Fail("The class factory could not make " + std::string(progId));
  return HelperObject{std::move(module).value(), ComPtr<IQuoziHelper>(helper)};
}

}  // namespace

Result<HelperObject> CreateQuoziHelper(std::string_view progId, const std::filesystem::path& registryPath) {
  // Whatever goes wrong comes back as an error, never as an exception.
  try {
    return CreateFromRegistry(progId, registryPath);
  } catch (const std::exception& error) {
    return league::Fail("Unable to create " + std::string(progId) + ": " + error.what());
  } catch (...) {
    return league::Fail("Unable to create " + std::string(progId));
  }
}

ModuleText::ModuleText(std::shared_ptr<ComModule> module, std::string_view utf8) : module_(std::move(module)) {
  const std::u16string text = Utf16(utf8);
  text_ = module_->SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

ModuleText::~ModuleText() { module_->SysFreeString(text_); }

std::string ModuleText::Utf8Text() const { return BstrUtf8(text_); }

std::string BstrUtf8(BSTR text) {
  if (text == nullptr) return {};
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
  return Utf8(std::u16string_view(text, bytes / sizeof(OLECHAR)));
}

}  // namespace qgu::com

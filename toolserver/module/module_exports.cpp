// The module's entry points, exported by name: the class factory, the unload
// question, registration into the registry file, and BSTR storage.

#include <dlfcn.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "toolserver/com/bstr.h"
#include "toolserver/com/qghelper_interface.h"
#include "toolserver/com/registry_file.h"
#include "toolserver/com/server_registration.h"
#include "toolserver/module/guarded_call.h"
#include "toolserver/module/module_state.h"
#include "toolserver/module/quozi_helper.h"

#define QGU_EXPORT extern "C" __attribute__((visibility("default")))

namespace qgu::toolserver {
namespace {

using namespace qgu::com;

class CQuoziHelperFactory final : public IClassFactory {
 public:
  CQuoziHelperFactory() { ObjectCreated(); }
  CQuoziHelperFactory(const CQuoziHelperFactory&) = delete;
  CQuoziHelperFactory& operator=(const CQuoziHelperFactory&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return Guarded([&] {
      auto* helper = new (std::nothrow) CQuoziHelper;
      if (helper == nullptr) return E_OUTOFMEMORY;
      const HRESULT result = helper->QueryInterface(iid, object);
      helper->Release();  // the caller's reference, if any, keeps it
      return result;
    });
  }

  HRESULT LockServer(int lock) override {
    if (lock != 0) {
      LockModule();
    } else {
      UnlockModule();
    }
    return S_OK;
  }

 private:
  ~CQuoziHelperFactory() { ObjectDestroyed(); }
  std::atomic<ULONG> references_{1};
};

// The absolute path of this module file.
std::filesystem::path ModulePath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr) return {};
  char resolved[PATH_MAX];
  if (::realpath(info.dli_fname, resolved) == nullptr) return info.dli_fname;
  return resolved;
}

template <class Change>
HRESULT ChangeRegistry(Change&& change) {
  const std::filesystem::path path = RegistryFile::DefaultPath();
  Result<RegistryFile> registry = RegistryFile::Load(path);
  if (!registry) return SELFREG_E_CLASS;
  change(registry.value());
  return registry.value().Save(path) ? S_OK : SELFREG_E_CLASS;
}

}  // namespace
}  // namespace qgu::toolserver

using namespace qgu::com;

QGU_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!(clsid == CLSID_QuoziHelper)) return CLASS_E_CLASSNOTAVAILABLE;
  return qgu::toolserver::Guarded([&] {
    auto* factory = new (std::nothrow) qgu::toolserver::CQuoziHelperFactory;
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
  });
}

QGU_EXPORT HRESULT DllCanUnloadNow() { return qgu::toolserver::ModuleIdle() ? S_OK : S_FALSE; }

QGU_EXPORT HRESULT DllRegisterServer() {
  return qgu::toolserver::Guarded([] {
    const std::filesystem::path module = qgu::toolserver::ModulePath();
    if (module.empty()) return SELFREG_E_CLASS;
    return qgu::toolserver::ChangeRegistry([&](RegistryFile& registry) { RegisterQuoziHelper(registry, module); });
  });
}

QGU_EXPORT HRESULT DllUnregisterServer() {
  return qgu::toolserver::Guarded(
      [] { return qgu::toolserver::ChangeRegistry([](RegistryFile& registry) { UnregisterQuoziHelper(registry); }); });
}

// Texts: nullptr when there is no memory for one.
QGU_EXPORT BSTR SysAllocString(const OLECHAR* text) {
  try {
    return AllocBstr(text);
  } catch (...) {
    return nullptr;
  }
}

QGU_EXPORT BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  try {
    if (text == nullptr) return AllocBstr(std::u16string(length, u'\0'));
    return AllocBstr(std::u16string_view(text, length));
  } catch (...) {
    return nullptr;
  }
}

QGU_EXPORT void SysFreeString(BSTR text) { FreeBstr(text); }

QGU_EXPORT UINT SysStringLen(BSTR text) { return BstrLength(text); }

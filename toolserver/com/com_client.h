#pragma once
// The client's side of the tool server: creates an object from its ProgID
// through the registry file, loading the module and asking its class factory,
// and keeps the module loaded while any of its objects or texts are alive.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "toolserver/com/com_types.h"
#include "toolserver/com/qghelper_interface.h"
#include "toolserver/com/registry_file.h"

namespace qgu::com {

// A loaded module and its exports.
class ComModule {
 public:
  // Loads the module file; fails unless it exports every entry point below.
  static Result<std::shared_ptr<ComModule>> Load(const std::filesystem::path& file);
  ~ComModule();
  ComModule(const ComModule&) = delete;
  ComModule& operator=(const ComModule&) = delete;

  DllGetClassObjectFunction DllGetClassObject = nullptr;
  DllCanUnloadNowFunction DllCanUnloadNow = nullptr;
  DllRegisterServerFunction DllRegisterServer = nullptr;
  DllUnregisterServerFunction DllUnregisterServer = nullptr;
  SysAllocStringFunction SysAllocString = nullptr;
  SysAllocStringLenFunction SysAllocStringLen = nullptr;
  SysFreeStringFunction SysFreeString = nullptr;
  SysStringLenFunction SysStringLen = nullptr;

 private:
  explicit ComModule(void* handle) : handle_(handle) {}
  void* handle_;
};

// An interface pointer released when it goes.
template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(Interface* held) : held_(held) {}  // takes over one reference
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : held_(std::exchange(other.held_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      held_ = std::exchange(other.held_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* operator->() const { return held_; }
  Interface* get() const { return held_; }
  explicit operator bool() const { return held_ != nullptr; }
  void Reset() {
    if (held_ != nullptr) held_->Release();
    held_ = nullptr;
  }

 private:
  Interface* held_ = nullptr;
};

// A QuoziHelper object with the module that made it (released first).
struct HelperObject {
  std::shared_ptr<ComModule> module;
  ComPtr<IQuoziHelper> helper;
};

Result<HelperObject> CreateQuoziHelper(std::string_view progId,
                                       const std::filesystem::path& registryPath = RegistryFile::DefaultPath());

// A BSTR of the module, freed by the module.
class ModuleText {
 public:
  ModuleText(std::shared_ptr<ComModule> module, BSTR text) : module_(std::move(module)), text_(text) {}
  ModuleText(std::shared_ptr<ComModule> module, std::string_view utf8);
  ~ModuleText();
  ModuleText(const ModuleText&) = delete;
  ModuleText& operator=(const ModuleText&) = delete;

  BSTR get() const { return text_; }
  std::string Utf8Text() const;

 private:
  std::shared_ptr<ComModule> module_;
  BSTR text_;
};

// The UTF-8 text of a BSTR of any module (nullptr reads as empty).
std::string BstrUtf8(BSTR text);

}  // namespace qgu::com

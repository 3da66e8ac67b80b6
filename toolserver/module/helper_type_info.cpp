#include "toolserver/module/helper_type_info.h"

#include <array>
#include <atomic>
#include <vector>

#include "toolserver/com/bstr.h"
#include "toolserver/com/qghelper_interface.h"
#include "toolserver/module/guarded_call.h"
#include "toolserver/module/module_state.h"

namespace qgu::toolserver {
namespace {

using namespace qgu::com;

constexpr DISPID kUnknownName = -1;

bool SameNameIgnoringCase(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(a[i]) != lower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

const OperationInfo* FindOperation(DISPID id) {
  for (const OperationInfo& operation : kOperations) {
    if (operation.id == id) return &operation;
  }
  return nullptr;
}

// Parameter types and directions, in type library order.
enum class Parameter { kText, kTextPointer, kNumberPointer };
struct ParameterKind {
  Parameter type;
  uint16_t direction;
};
constexpr ParameterKind kTextIn{Parameter::kText, PARAMFLAG_FIN};
constexpr ParameterKind kTextOut{Parameter::kTextPointer, PARAMFLAG_FOUT};
constexpr ParameterKind kNumberOut{Parameter::kNumberPointer, PARAMFLAG_FOUT};
constexpr ParameterKind kTextPointerIn{Parameter::kTextPointer, PARAMFLAG_FIN};
constexpr ParameterKind kNumberPointerIn{Parameter::kNumberPointer, PARAMFLAG_FIN};

std::vector<ParameterKind> ParametersOf(DISPID id) {
  switch (id) {
    case DISPID_SelectTeams: return {kTextOut, kTextOut, kNumberOut, kNumberOut, kNumberOut, kNumberOut};
    case DISPID_DisplayEOGStats: return {kTextIn, kTextIn, kTextIn, kTextIn};
    case DISPID_ImportRom:
    case DISPID_EditTeams: return {kTextIn};
    // Only weather is marked out, although the operation writes through all seven.
    case DISPID_ShowMain:
      return {kNumberPointerIn, kTextPointerIn, kTextPointerIn, kNumberPointerIn, kNumberPointerIn, kNumberPointerIn,
              kNumberOut};
    default: return {};
  }
}

const TYPEDESC kTextType{{nullptr}, VT_BSTR};
const TYPEDESC kNumberType{{nullptr}, VT_INT};
const TYPEDESC kTextPointerType{{&kTextType}, VT_PTR};
const TYPEDESC kNumberPointerType{{&kNumberType}, VT_PTR};

const TYPEDESC& TypeOf(Parameter parameter) {
  switch (parameter) {
    case Parameter::kText: return kTextType;
    case Parameter::kTextPointer: return kTextPointerType;
    case Parameter::kNumberPointer: break;
  }
  return kNumberPointerType;
}

// The six function descriptions, made once and never freed (they hold no
// pointer into anything that goes away).
struct FunctionTable {
  std::array<std::vector<ELEMDESC>, kOperations.size()> parameters;
  std::array<FUNCDESC, kOperations.size()> functions{};

  FunctionTable() {
    for (size_t i = 0; i < kOperations.size(); ++i) {
      for (const ParameterKind& kind : ParametersOf(kOperations[i].id)) {
        ELEMDESC element{};
        element.tdesc = TypeOf(kind.type);
        element.paramdesc = PARAMDESC{nullptr, kind.direction};
        parameters[i].push_back(element);
      }
      FUNCDESC& function = functions[i];
      function.memid = kOperations[i].id;
      function.lprgelemdescParam = parameters[i].empty() ? nullptr : parameters[i].data();
      function.funckind = FUNC_DISPATCH;
      function.invkind = INVOKE_FUNC;
      function.callconv = CC_STDCALL;
      function.cParams = static_cast<int16_t>(parameters[i].size());
      function.elemdescFunc.tdesc = TYPEDESC{{nullptr}, VT_VOID};  // the HRESULT stays inside Invoke
    }
  }
};

const FunctionTable& Functions() {
  static const FunctionTable table;
  return table;
}

TYPEATTR MakeAttributes() {
  TYPEATTR attributes{};
  attributes.guid = IID_IQuoziHelper;
  attributes.memidConstructor = MEMBERID_NIL;
  attributes.memidDestructor = MEMBERID_NIL;
  attributes.cbSizeInstance = sizeof(void*);
  attributes.typekind = TKIND_DISPATCH;
  attributes.cFuncs = static_cast<uint16_t>(kOperations.size());
  attributes.cbSizeVft = static_cast<uint16_t>(7 * sizeof(void*));  // the IUnknown and IDispatch slots
  attributes.cbAlignment = alignof(void*);
  attributes.wTypeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FOLEAUTOMATION;
  attributes.wMajorVerNum = 1;
  attributes.wMinorVerNum = 0;
  attributes.tdescAlias.vt = VT_EMPTY;
  return attributes;
}

const TYPEATTR kAttributes = MakeAttributes();

class CHelperTypeInfo final : public ITypeInfo {
 public:
  CHelperTypeInfo() { ObjectCreated(); }
  CHelperTypeInfo(const CHelperTypeInfo&) = delete;
  CHelperTypeInfo& operator=(const CHelperTypeInfo&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ITypeInfo) {
      *object = static_cast<ITypeInfo*>(this);
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

  // The records handed out are the module's own, shared and read-only: the
  // Release calls have nothing to free.
  HRESULT GetTypeAttr(TYPEATTR** attributes) override {
    if (attributes == nullptr) return E_POINTER;
    *attributes = const_cast<TYPEATTR*>(&kAttributes);
    return S_OK;
  }
  HRESULT GetFuncDesc(UINT index, FUNCDESC** function) override {
    if (function == nullptr) return E_POINTER;
    *function = nullptr;
    return Guarded([&] {
      if (index >= kOperations.size()) return TYPE_E_ELEMENTNOTFOUND;
      *function = const_cast<FUNCDESC*>(&Functions().functions[index]);
      return S_OK;
    });
  }
  void ReleaseTypeAttr(TYPEATTR*) override {}
  void ReleaseFuncDesc(FUNCDESC*) override {}
  void ReleaseVarDesc(VARDESC*) override {}

  HRESULT GetNames(MEMBERID member, BSTR* names, UINT maxNames, UINT* nameCount) override {
    if (names == nullptr || nameCount == nullptr) return E_POINTER;
    *nameCount = 0;
    const OperationInfo* operation = FindOperation(member);
    if (operation == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    return Guarded([&] {
      for (UINT i = 0; i <= operation->parameterCount && i < maxNames; ++i) {
        const std::string_view name = i == 0 ? operation->name : operation->parameters[i - 1];
        names[i] = AllocBstrUtf8(name);
        ++*nameCount;
      }
      return S_OK;
    });
  }

  HRESULT GetIDsOfNames(OLECHAR** names, UINT nameCount, MEMBERID* members) override {
    return HelperIdsOfNames(names, nameCount, members);
  }

  HRESULT Invoke(void* instance, MEMBERID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override {
    if (instance == nullptr) return E_INVALIDARG;
    return static_cast<IDispatch*>(instance)->Invoke(member, IID_NULL, 0, flags, params, result, exception,
                                                     argumentError);
  }

  HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* documentation, DWORD* helpContext,
                           BSTR* helpFile) override {
    std::string_view nameText, documentationText;
    if (member == MEMBERID_NIL) {
      nameText = "IQuoziHelper";
      documentationText = kInterfaceHelp;
    } else if (const OperationInfo* operation = FindOperation(member)) {
      nameText = operation->name;
    } else {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    return Guarded([&] {
      if (name != nullptr) *name = AllocBstrUtf8(nameText);
      if (documentation != nullptr) *documentation = documentationText.empty() ? nullptr : AllocBstrUtf8(documentationText);
      if (helpContext != nullptr) *helpContext = 0;
      if (helpFile != nullptr) *helpFile = nullptr;
      return S_OK;
    });
  }

  // Nothing else is described: no variables, no other types, no entry points.
  HRESULT GetTypeComp(ITypeComp** binder) override { return NotHeld(binder); }
  HRESULT GetVarDesc(UINT, VARDESC** variable) override { return NotHeld(variable, TYPE_E_ELEMENTNOTFOUND); }
  HRESULT GetRefTypeOfImplType(UINT, HREFTYPE*) override { return TYPE_E_ELEMENTNOTFOUND; }
  HRESULT GetImplTypeFlags(UINT, int32_t*) override { return TYPE_E_ELEMENTNOTFOUND; }
  HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override { return TYPE_E_ELEMENTNOTFOUND; }
  HRESULT GetRefTypeInfo(HREFTYPE, ITypeInfo** info) override { return NotHeld(info, TYPE_E_ELEMENTNOTFOUND); }
  HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void** address) override { return NotHeld(address); }
  HRESULT CreateInstance(IUnknown*, const IID&, void** object) override { return NotHeld(object); }
  HRESULT GetMops(MEMBERID, BSTR* mops) override { return NotHeld(mops); }
  HRESULT GetContainingTypeLib(ITypeLib** library, UINT* index) override {
    if (index != nullptr) *index = 0;
    return NotHeld(library);
  }

 private:
  ~CHelperTypeInfo() { ObjectDestroyed(); }

  template <class Out>
  static HRESULT NotHeld(Out** out, HRESULT why = E_NOTIMPL) {
    if (out != nullptr) *out = nullptr;
    return why;
  }

  std::atomic<ULONG> references_{1};
};

}  // namespace

HRESULT HelperIdsOfNames(OLECHAR** names, UINT nameCount, DISPID* ids) {
  if (names == nullptr || ids == nullptr || nameCount == 0) return E_INVALIDARG;
  const OperationInfo* found = nullptr;
  for (const OperationInfo& operation : kOperations) {
    if (names[0] != nullptr && SameNameIgnoringCase(names[0], operation.name)) found = &operation;
  }
  HRESULT result = S_OK;
  ids[0] = found != nullptr ? found->id : kUnknownName;
  if (found == nullptr) result = DISP_E_UNKNOWNNAME;
  // Further names are parameter names: their position in the operation.
  for (UINT n = 1; n < nameCount; ++n) {
    ids[n] = kUnknownName;
    for (UINT p = 0; found != nullptr && p < found->parameterCount; ++p) {
      if (names[n] != nullptr && SameNameIgnoringCase(names[n], found->parameters[p])) ids[n] = static_cast<DISPID>(p);
    }
    if (ids[n] == kUnknownName) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

ITypeInfo* NewHelperTypeInfo() { return new (std::nothrow) CHelperTypeInfo; }

}  // namespace qgu::toolserver

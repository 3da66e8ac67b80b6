#pragma once
// The binary shape of an in-process COM server, for clients and servers that
// know nothing of Windows: status codes, GUIDs, BSTR text, VARIANT arguments,
// and IUnknown, IDispatch and IClassFactory as abstract classes whose virtual
// slots come in the COM order. Interfaces have no virtual destructor (objects
// are freed by Release), so their tables hold exactly these slots.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qgu::com {

using HRESULT = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using WORD = uint16_t;
using DISPID = int32_t;
using LCID = uint32_t;
using OLECHAR = char16_t;
// UTF-16 text with its length in bytes in the 4 bytes before it and a zero
// after it; allocated and freed only by the module's SysAllocString/SysFreeString.
using BSTR = OLECHAR*;

constexpr HRESULT MakeHresult(uint32_t code) { return static_cast<HRESULT>(code); }
constexpr bool Succeeded(HRESULT result) { return result >= 0; }
constexpr bool Failed(HRESULT result) { return result < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
inline constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHresult(0x80040111);
inline constexpr HRESULT SELFREG_E_CLASS = MakeHresult(0x80040201);
inline constexpr HRESULT RPC_E_WRONG_THREAD = MakeHresult(0x8001010E);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHresult(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHresult(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = MakeHresult(0x80020007);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHresult(0x8002000E);
inline constexpr HRESULT DISP_E_BADINDEX = MakeHresult(0x8002000B);

struct GUID {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i) {
      if (a.data4[i] != b.data4[i]) return false;
    }
    return true;
  }
};
using IID = GUID;
using CLSID = GUID;

// "{A4FC5A38-7A26-40C9-9B86-F90FB089A051}" (upper case, braces).
std::string GuidText(const GUID& guid);
// Any case, braces required; nothing for anything else.
std::optional<GUID> ParseGuid(std::string_view text);

// IID_IUnknown, IID_IDispatch, IID_IClassFactory: the well-known ids.
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// VARIANT types the tool server's operations and type information use.
enum VarType : uint16_t {
  VT_EMPTY = 0,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_INT = 22,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_BYREF = 0x4000,
};

// The layout every COM uses on LP64: the type, three reserved words and a
// 16-byte union (its largest member a record: data and its IRecordInfo), 24
// bytes in all, so a client's own VARIANTs fit.
struct VARIANT {
  uint16_t vt = VT_EMPTY;
  uint16_t reserved1 = 0;
  uint16_t reserved2 = 0;
  uint16_t reserved3 = 0;
  union {
    int32_t lVal;
    int32_t intVal;
    BSTR bstrVal;
    int32_t* plVal;
    int32_t* pintVal;
    BSTR* pbstrVal;
    void* byref = nullptr;
    struct {
      void* pvRecord;
      void* pRecInfo;
    } record;
  };
};
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*) && alignof(VARIANT) == alignof(void*));

// Arguments of IDispatch::Invoke, the last one first.
struct DISPPARAMS {
  VARIANT* rgvarg = nullptr;
  DISPID* rgdispidNamedArgs = nullptr;
  UINT cArgs = 0;
  UINT cNamedArgs = 0;
};

inline constexpr WORD DISPATCH_METHOD = 1;

struct EXCEPINFO;  // never filled: the operations report through their dialogs
class ITypeInfo;   // toolserver/com/type_info.h

class IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IDispatch : public IUnknown {
 public:
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(const IID& iid, OLECHAR** names, UINT nameCount, LCID locale, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID member, const IID& iid, LCID locale, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argumentError) = 0;

 protected:
  ~IDispatch() = default;
};

class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(int lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// The module's exports, by name.
using DllGetClassObjectFunction = HRESULT (*)(const CLSID& clsid, const IID& iid, void** object);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();
using SysAllocStringFunction = BSTR (*)(const OLECHAR* text);
using SysAllocStringLenFunction = BSTR (*)(const OLECHAR* text, UINT length);
using SysFreeStringFunction = void (*)(BSTR text);
using SysStringLenFunction = UINT (*)(BSTR text);

// UTF-8 <-> UTF-16 for BSTR contents (invalid input becomes U+FFFD).
std::u16string Utf16(std::string_view utf8);
std::string Utf8(std::u16string_view utf16);

}  // namespace qgu::com

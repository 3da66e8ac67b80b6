#pragma once
// Type information as COM hands it out: ITypeInfo with its slots in the COM
// order, and the records it fills (TYPEATTR, FUNCDESC and their parts) in the
// layout every LP64 COM uses. A client reads an interface's operations, their
// DISPIDs and parameter names through these slots.

#include <cstdint>

#include "toolserver/com/com_types.h"

namespace qgu::com {

using MEMBERID = DISPID;
using HREFTYPE = uint32_t;
using DWORD = uint32_t;
using SCODE = int32_t;

inline constexpr IID IID_ITypeInfo = {0x00020401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr MEMBERID MEMBERID_NIL = -1;
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = MakeHresult(0x8002802B);

enum TYPEKIND : int32_t { TKIND_ENUM, TKIND_RECORD, TKIND_MODULE, TKIND_INTERFACE, TKIND_DISPATCH, TKIND_COCLASS };
enum FUNCKIND : int32_t { FUNC_VIRTUAL, FUNC_PUREVIRTUAL, FUNC_NONVIRTUAL, FUNC_STATIC, FUNC_DISPATCH };
enum INVOKEKIND : int32_t { INVOKE_FUNC = 1, INVOKE_PROPERTYGET = 2, INVOKE_PROPERTYPUT = 4, INVOKE_PROPERTYPUTREF = 8 };
enum CALLCONV : int32_t { CC_CDECL = 1, CC_STDCALL = 4 };

inline constexpr uint16_t PARAMFLAG_FIN = 0x1;
inline constexpr uint16_t PARAMFLAG_FOUT = 0x2;
inline constexpr uint16_t TYPEFLAG_FDUAL = 0x40;
inline constexpr uint16_t TYPEFLAG_FOLEAUTOMATION = 0x100;
inline constexpr uint16_t TYPEFLAG_FDISPATCHABLE = 0x1000;

struct TYPEDESC {
  union {
    const TYPEDESC* lptdesc;  // VT_PTR: what it points to
    void* lpadesc;
    HREFTYPE hreftype;
  };
  uint16_t vt;
};

struct PARAMDESC {
  void* pparamdescex;
  uint16_t wParamFlags;
};

struct IDLDESC {
  uintptr_t dwReserved;
  uint16_t wIDLFlags;
};

struct ELEMDESC {
  TYPEDESC tdesc;
  union {
    IDLDESC idldesc;
    PARAMDESC paramdesc;
  };
};

struct FUNCDESC {
  MEMBERID memid;
  SCODE* lprgscode;
  const ELEMDESC* lprgelemdescParam;
  FUNCKIND funckind;
  INVOKEKIND invkind;
  CALLCONV callconv;
  int16_t cParams;
  int16_t cParamsOpt;
  int16_t oVft;
  int16_t cScodes;
  ELEMDESC elemdescFunc;
  uint16_t wFuncFlags;
};

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  DWORD dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  OLECHAR* lpstrSchema;
  ULONG cbSizeInstance;
  TYPEKIND typekind;
  uint16_t cFuncs;
  uint16_t cVars;
  uint16_t cImplTypes;
  uint16_t cbSizeVft;
  uint16_t cbAlignment;
  uint16_t wTypeFlags;
  uint16_t wMajorVerNum;
  uint16_t wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
};

static_assert(sizeof(void*) != 8 || (sizeof(ELEMDESC) == 32 && sizeof(FUNCDESC) == 88 && sizeof(TYPEATTR) == 96),
              "the LP64 COM layout");

class ITypeComp;
class ITypeLib;
struct VARDESC;

class ITypeInfo : public IUnknown {
 public:
  virtual HRESULT GetTypeAttr(TYPEATTR** attributes) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** binder) = 0;
  virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** function) = 0;
  virtual HRESULT GetVarDesc(UINT index, VARDESC** variable) = 0;
  virtual HRESULT GetNames(MEMBERID member, BSTR* names, UINT maxNames, UINT* nameCount) = 0;
  virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* type) = 0;
  virtual HRESULT GetImplTypeFlags(UINT index, int32_t* flags) = 0;
  virtual HRESULT GetIDsOfNames(OLECHAR** names, UINT nameCount, MEMBERID* members) = 0;
  virtual HRESULT Invoke(void* instance, MEMBERID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argumentError) = 0;
  virtual HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* documentation, DWORD* helpContext,
                                   BSTR* helpFile) = 0;
  virtual HRESULT GetDllEntry(MEMBERID member, INVOKEKIND kind, BSTR* dllName, BSTR* name, WORD* ordinal) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE type, ITypeInfo** info) = 0;
  virtual HRESULT AddressOfMember(MEMBERID member, INVOKEKIND kind, void** address) = 0;
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT GetMops(MEMBERID member, BSTR* mops) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** library, UINT* index) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attributes) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* function) = 0;
  virtual void ReleaseVarDesc(VARDESC* variable) = 0;

 protected:
  ~ITypeInfo() = default;
};

}  // namespace qgu::com

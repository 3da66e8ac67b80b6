#pragma once
// The type information of IQuoziHelper, as IDispatch::GetTypeInfo hands it
// out: the dispatch view of the dual interface with its six operations, their
// DISPIDs, parameter names, types and directions.

#include "toolserver/com/type_info.h"

namespace qgu::toolserver {

// Operation names and, after the first, that operation's parameter names to
// DISPIDs and parameter positions (-1 and DISP_E_UNKNOWNNAME for any unknown).
com::HRESULT HelperIdsOfNames(com::OLECHAR** names, com::UINT nameCount, com::DISPID* ids);

// A new object with one reference (the caller's); nullptr when out of memory.
com::ITypeInfo* NewHelperTypeInfo();

}  // namespace qgu::toolserver

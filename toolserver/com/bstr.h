#pragma once
// BSTR storage as the module hands it out through SysAllocString and
// SysFreeString: a 4-byte length in bytes, the UTF-16 text, a zero.

#include <string>
#include <string_view>

#include "toolserver/com/com_types.h"

namespace qgu::com {

BSTR AllocBstr(std::u16string_view text);
// nullptr when text is nullptr.
BSTR AllocBstr(const OLECHAR* text);
void FreeBstr(BSTR text);
// Characters, not counting the zero; 0 for nullptr.
UINT BstrLength(BSTR text);

BSTR AllocBstrUtf8(std::string_view utf8);

}  // namespace qgu::com

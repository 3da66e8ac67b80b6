#pragma once
// Every call that comes in through the module's exports or an interface slot
// runs inside Guarded: a C++ exception must never cross into a caller that
// may not be C++ at all (or not the same C++ runtime).

#include <new>

#include "toolserver/com/com_types.h"

namespace qgu::toolserver {

template <class Call>
com::HRESULT Guarded(Call&& call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return com::E_OUTOFMEMORY;
  } catch (...) {
    return com::E_FAIL;
  }
}

}  // namespace qgu::toolserver

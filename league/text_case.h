#pragma once
// File names from Windows are compared without regard to case (ASCII only).

#include "base/text.h"

namespace qgu::league {

using base::EndsWithIgnoringCase;
using base::EqualsIgnoringCase;
using base::LowerCase;

}  // namespace qgu::league

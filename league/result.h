#pragma once
// The league store reports failures as base results.

#include "base/result.h"

namespace qgu::league {

using base::Error;
using base::Fail;
using base::Result;
using base::Status;

}  // namespace qgu::league

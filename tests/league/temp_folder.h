#pragma once
// Moved to tests/support, where every subsystem's tests find it.

#include "tests/support/temp_folder.h"

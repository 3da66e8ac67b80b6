#include "driver/random_source.h"

#include <ctime>

namespace qgu::driver {

uint32_t TimeSeed() { return static_cast<uint32_t>(std::time(nullptr)); }

}  // namespace qgu::driver

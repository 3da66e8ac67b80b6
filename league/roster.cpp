#include "league/roster.h"

#include <cstdio>

namespace qgu::league {

std::string JerseyText(int packed) {
  char text[24];
  std::snprintf(text, sizeof text, "# %x", static_cast<unsigned>(packed));
  return text;
}

}  // namespace qgu::league

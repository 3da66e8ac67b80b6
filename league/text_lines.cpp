#include "league/text_lines.h"

namespace qgu::league {

bool ReadTextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  while (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace qgu::league

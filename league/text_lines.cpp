#include "league/text_lines.h"

namespace qgu::league {

bool ReadTextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  while (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

LineStatus ReadTextLine(std::istream& in, std::string& line, size_t maxLength) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  bool readAnything = false;
  bool tooLong = false;
  size_t pendingCarriageReturns = 0;  // dropped if the line ends right after them
  for (;;) {
    const int c = buffer ? buffer->sbumpc() : std::char_traits<char>::eof();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      break;
    }
    readAnything = true;
    if (c == '\n') break;
    if (c == '\r') {
      ++pendingCarriageReturns;
      continue;
    }
    if (tooLong) continue;
    line.append(pendingCarriageReturns, '\r');
    pendingCarriageReturns = 0;
    line.push_back(static_cast<char>(c));
    if (line.size() > maxLength) tooLong = true;
  }
  if (!readAnything) return LineStatus::kEnd;
  if (tooLong) {
    line.clear();
    return LineStatus::kTooLong;
  }
  return LineStatus::kLine;
}

}  // namespace qgu::league

#pragma once
// Text files of both programs: the Windows program ends lines with CR CR LF
// (a CR LF written through a text-mode stream); hand-edited files may use
// CR LF or LF alone. All three read the same.

#include <cstddef>
#include <istream>
#include <string>

namespace qgu::league {

// Reads the next line without its line end (trailing CRs dropped).
// Returns false at end of input when nothing was read.
bool ReadTextLine(std::istream& in, std::string& line);

enum class LineStatus {
  kLine,     // a line was read
  kEnd,      // end of input, nothing read
  kTooLong,  // the line holds more than maxLength characters; it was skipped
};

// As above, but refuses lines longer than maxLength characters (line end not
// counted) instead of growing without bound. A refused line is consumed up to
// its LF, so reading can go on with the next line.
LineStatus ReadTextLine(std::istream& in, std::string& line, size_t maxLength);

// The line end every writer of this system uses: CR CR LF.
inline constexpr const char* kWindowsTextLineEnd = "\r\r\n";

}  // namespace qgu::league

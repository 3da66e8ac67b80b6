#pragma once
// Text files of both programs: the Windows program ends lines with CR CR LF
// (a CR LF written through a text-mode stream); hand-edited files may use
// CR LF or LF alone. All three read the same.

#include <istream>
#include <string>

namespace qgu::league {

// Reads the next line without its line end (trailing CRs dropped).
// Returns false at end of input when nothing was read.
bool ReadTextLine(std::istream& in, std::string& line);

// The line end every writer of this system uses: CR CR LF.
inline constexpr const char* kWindowsTextLineEnd = "\r\r\n";

}  // namespace qgu::league

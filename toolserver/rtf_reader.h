#pragma once
// Reads the rich text RtfStream writes into a QTextDocument, the way a rich
// edit control shows it: \plain \b \ul \i \strike (each with an optional 0 to
// switch off), \f \fs \cf, \par, the font and colour tables, \'hh and the
// escaped \ { }. \cb is read and not shown, as rich edit controls do not
// show it either; other control words and {\* } groups are skipped.
// Text bytes are UTF-8 where they form it, else Windows Latin.

#include <QTextDocument>
#include <string_view>

namespace qgu::toolserver {

// Replaces the document's contents.
void ReadRtfInto(QTextDocument& document, std::string_view rtf);

}  // namespace qgu::toolserver

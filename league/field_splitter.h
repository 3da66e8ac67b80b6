#pragma once
// Splits one line of a team record file (separator 0x01) or of a statistics
// string (separator '|'). A field counts only when a separator follows it, so
// text after the last separator is never returned and an empty field between
// two separators is returned as an empty text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qgu::league {

inline constexpr char kRecordSeparator = '\x01';
inline constexpr char kStatsSeparator = '|';

class FieldSplitter {
 public:
  FieldSplitter(std::string_view text, char separator) : rest_(text), separator_(separator) {}

  // The next complete field, or nothing when no further separator follows.
  std::optional<std::string_view> NextField();

 private:
  std::string_view rest_;
  char separator_;
};

// Every complete field of a line, in order.
std::vector<std::string> SplitFields(std::string_view text, char separator);

}  // namespace qgu::league

#pragma once
// Small text helpers shared by every library. Case is folded for ASCII only:
// file names and keys come from Windows, where that is how they compare.

#include <string>
#include <string_view>

namespace qgu::base {

inline constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// The text without the given characters at either end.
std::string_view Trim(std::string_view text, std::string_view blanks = kWhiteSpace);

std::string LowerCase(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringCase(std::string_view text, std::string_view ending);

}  // namespace qgu::base

#include "dynasty/names.h"

#include <array>
#include <cctype>
#include <string_view>

namespace qgu::dynasty {
namespace {

constexpr std::array<std::string_view, 24> kOnsets = {"b",  "br", "c",  "d",  "dr", "f",  "g",  "gr",
                                                      "h",  "j",  "k",  "kr", "l",  "m",  "n",  "p",
                                                      "qu", "r",  "s",  "st", "t",  "th", "v",  "w"};
constexpr std::array<std::string_view, 8> kVowels = {"a", "e", "i", "o", "u", "a", "o", "e"};
constexpr std::array<std::string_view, 16> kCodas = {"",  "",   "n",  "r",  "l",  "m",  "k",  "s",
                                                     "d", "rn", "ld", "nt", "st", "x",  "th", "ck"};
constexpr std::array<std::string_view, 10> kEndings = {"",    "",   "son", "by",   "dal",
                                                       "holm", "ov", "wick", "stad", "ner"};

std::string Syllable(CRandomStream& random) {
  std::string s(kOnsets[static_cast<size_t>(random.Below(kOnsets.size()))]);
  s += kVowels[static_cast<size_t>(random.Below(kVowels.size()))];
  s += kCodas[static_cast<size_t>(random.Below(kCodas.size()))];
  return s;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::pair<std::string, std::string> CNameMaker::Make(CRandomStream& random) {
  for (;;) {
    std::string first = Syllable(random);
    if (random.Below(3) == 0) first += kVowels[static_cast<size_t>(random.Below(kVowels.size()))];
    std::string last = Syllable(random) + Syllable(random);
    if (random.Below(2) == 0) last += Syllable(random);
    last += kEndings[static_cast<size_t>(random.Below(kEndings.size()))];
    if (first.size() > 15 || last.size() > 15 || last.size() < 4) continue;
    last = Upper(last);
    if (taken_.insert(first + " " + last).second) return {first, last};
  }
}

}  // namespace qgu::dynasty

#pragma once
// Rookies' names, made up from syllables of our own: a first name in lower
// case and a last name in upper case, as the cartridge's rosters spell them
// ("joeSMITH"), never one the league already has.

#include <set>
#include <string>
#include <utility>

#include "dynasty/random_stream.h"

namespace qgu::dynasty {

class CNameMaker {
 public:
  // `taken`: "first LAST" of every player the league has.
  explicit CNameMaker(std::set<std::string> taken) : taken_(std::move(taken)) {}
  // A first and last name of at most 15 letters each, not taken before.
  std::pair<std::string, std::string> Make(CRandomStream& random);

 private:
  std::set<std::string> taken_;
};

}  // namespace qgu::dynasty

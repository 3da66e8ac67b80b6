#pragma once
// What an offseason changed, in lines a person reads (the command line's
// `dynasty offseason` and the dynasty window's Offseason tab): the players
// who rose and fell most, who retired with their career lines, and the draft.

#include <string>
#include <vector>

#include "dynasty/dynasty.h"
#include "dynasty/record_book.h"

namespace qgu::dynasty {

struct OffseasonLines {
  std::vector<std::string> development;  // the ten who rose most, then the ten who fell most
  std::vector<std::string> retirements;  // one career line each
  std::vector<std::string> draft;        // one line a pick
};

OffseasonLines DescribeOffseason(const OffseasonView& view, const RecordBook& book);
std::string OffseasonText(const OffseasonView& view, const RecordBook& book);

}  // namespace qgu::dynasty

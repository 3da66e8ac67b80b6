#include "league/field_splitter.h"

#include <gtest/gtest.h>

namespace qgu::league {
namespace {

TEST(FieldSplitter, ReturnsOnlyFieldsFollowedByASeparator) {
  EXPECT_EQ(SplitFields("a|bb||c|tail", '|'), (std::vector<std::string>{"a", "bb", "", "c"}));
  EXPECT_TRUE(SplitFields("no separator", '|').empty());
  EXPECT_EQ(SplitFields("\x01", kRecordSeparator), (std::vector<std::string>{""}));
}

TEST(FieldSplitter, TheCarriageReturnAfterTheLastSeparatorNeverReachesAField) {
  FieldSplitter splitter("MAPLEDALE\x01" "OTTERS\x01\r", kRecordSeparator);
  EXPECT_EQ(splitter.NextField(), "MAPLEDALE");
  EXPECT_EQ(splitter.NextField(), "OTTERS");
  EXPECT_EQ(splitter.NextField(), std::nullopt);
}

}  // namespace
}  // namespace qgu::league

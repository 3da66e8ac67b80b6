#include "league/text_lines.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qgu::league {
namespace {

TEST(TextLines, EveryLineEndReadsTheSameAndLongLinesAreRefusedWhole) {
  std::istringstream in("one\r\r\ntwo\r\nthree\nin\rside\r\n" + std::string(8, 'x') + "\nlast");
  std::string line;
  const char* expected[] = {"one", "two", "three", "in\rside"};
  for (const char* text : expected) {
    ASSERT_EQ(ReadTextLine(in, line, 7), LineStatus::kLine);
    EXPECT_EQ(line, text);
  }
  EXPECT_EQ(ReadTextLine(in, line, 7), LineStatus::kTooLong);
  EXPECT_EQ(ReadTextLine(in, line, 7), LineStatus::kLine) << "reading goes on after a refused line";
  EXPECT_EQ(line, "last");
  EXPECT_EQ(ReadTextLine(in, line, 7), LineStatus::kEnd);

  // Trailing carriage returns never count towards the length.
  std::istringstream carriageReturns("1234567\r\r\r\r\r\r\n\n");
  EXPECT_EQ(ReadTextLine(carriageReturns, line, 7), LineStatus::kLine);
  EXPECT_EQ(line, "1234567");
  EXPECT_EQ(ReadTextLine(carriageReturns, line, 7), LineStatus::kLine);
  EXPECT_EQ(line, "");
  EXPECT_EQ(ReadTextLine(carriageReturns, line, 7), LineStatus::kEnd);
}

}  // namespace
}  // namespace qgu::league

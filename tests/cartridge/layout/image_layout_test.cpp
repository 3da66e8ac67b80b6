// The built cartridge image against the layout the rest of the system reads
// and writes. Everything here is recomputed from the image bytes with the
// contract's own numbers; nothing comes from the builder's code.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/cartridge_bytes.h"
#include "cartridge/builder/embedded_image.h"

namespace {

constexpr int kTeams = 28;
constexpr int kPlayers = 30;
constexpr size_t kPlayerBias = 0x7FF0;
constexpr size_t kTextBias = 0x14010;

using qgu::testing::FixedStart;
using qgu::testing::kFixedStarts;

const std::vector<uint8_t>& Image() {
  static const std::vector<uint8_t> image = [] {
    std::ifstream in(QGU_CARTRIDGE_IMAGE, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return image;
}

size_t Word(size_t offset) { return qgu::testing::Word(Image(), offset); }
size_t At(size_t base, size_t stride, int team) { return base + stride * static_cast<size_t>(team); }
// Name entry of player p of team n; team 28's first is the end pointer at 0x6D8.
size_t Entry(int team, int player) {
  if (team == kTeams) return Word(0x6D8) - kPlayerBias;
  return Word(At(0x48, 60, team) + 2 * static_cast<size_t>(player)) - kPlayerBias;
}
size_t EntryEnd(int team, int player) { return player + 1 < kPlayers ? Entry(team, player + 1) : Entry(team + 1, 0); }
size_t TextStart(size_t table, int team) { return Word(At(table, 2, team)) + kTextBias; }
std::string Bytes(size_t begin, size_t end) {
  return {Image().begin() + static_cast<long>(begin), Image().begin() + static_cast<long>(end)};
}
std::string TextAt(size_t table, int team) { return Bytes(TextStart(table, team), TextStart(table, team + 1)); }
bool AllOf(const std::string& s, char low, char high) {
  return std::all_of(s.begin(), s.end(), [=](char c) { return c >= low && c <= high; });
}

// Attribute bytes after a player's two rating bytes and skin: 2 (QB),
// 1 (backs, receivers, defence, kickers) or 0 (line); 117 bytes a team.
size_t AttributeBytes(int player) { return 3 + (player <= 1 ? 2 : (player >= 12 && player <= 16 ? 0 : 1)); }

class ImageLayout : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Image().size(), 393'232u); }
};

TEST_F(ImageLayout, IsTheINesImageWithTheGameCheckAndIsTheOneEmbedded) {
  const std::array<uint8_t, 16> header = {'N', 'E', 'S', 0x1A, 16, 16, 0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(header.begin(), header.end(), Image().begin()));
  EXPECT_EQ(Bytes(0x3C139, 0x3C140), "ZEMRATH");
  const auto embedded = qgu::cartridge::EmbeddedCartridgeImage();
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), Image().begin(), Image().end()));
}

// Entries chain end to end from their fixed starts to the closing byte; each
// is a packed-decimal jersey, then a lower-case first and an upper-case last name.
TEST_F(ImageLayout, PlayerEntriesChainFromTheirFixedStartsAndHoldJerseysThenNames) {
  size_t previous = 0x6DA;
  for (int n = 0; n < kTeams; ++n) {
    EXPECT_EQ(Word(At(0x10, 2, n)), At(0x48, 60, n) + kPlayerBias) << n;
    std::set<uint8_t> jerseys;
    for (int p = 0; p < kPlayers; ++p) {
      SCOPED_TRACE(testing::Message() << "team " << n << " player " << p);
      const size_t entry = Entry(n, p);
      ASSERT_EQ(entry, previous);
      ASSERT_GT(EntryEnd(n, p), entry + 2) << "needs a jersey byte and a name";
      previous = EntryEnd(n, p);
      const uint8_t jersey = Image()[entry];
      EXPECT_TRUE((jersey >> 4) <= 9 && (jersey & 0xF) <= 9) << std::hex << int(jersey);
      EXPECT_TRUE(jerseys.insert(jersey).second) << "jersey worn twice";
      const std::string name = Bytes(entry + 1, EntryEnd(n, p));
      const size_t upper = name.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
      ASSERT_NE(upper, 0u) << name << ": a first name comes first";
      ASSERT_NE(upper, std::string::npos) << name;
      EXPECT_TRUE(AllOf(name.substr(0, upper), 'a', 'z') && AllOf(name.substr(upper), 'A', 'Z')) << name;
    }
  }
  EXPECT_LT(Entry(kTeams, 0), 0x3010u);
  EXPECT_EQ(Image()[Entry(kTeams, 0)], 0xFF);
  for (const auto& start : kFixedStarts) EXPECT_EQ(Entry(start.team, 0), start.firstEntry) << start.team;
}

// Attributes, playbooks, uniform colours and their copy: every value in range.
TEST_F(ImageLayout, PerTeamTablesHoldValuesInRange) {
  for (int n = 0; n < kTeams; ++n) {
    SCOPED_TRACE(testing::Message() << "team " << n);
    size_t at = At(0x3010, 117, n);
    for (int p = 0; p < kPlayers; ++p) {
      EXPECT_TRUE(Image()[at + 2] == 0x80 || Image()[at + 2] == 0) << "skin of player " << p;
      EXPECT_NE(Image()[at], 0) << "player " << p << " has no speed or power";
      at += AttributeBytes(p);
    }
    for (size_t i = 0; i < 4; ++i) {
      const uint8_t slots = Image()[At(0x1D310, 4, n) + i];
      EXPECT_TRUE((slots >> 4) <= 7 && (slots & 0xF) <= 7) << "play choice " << std::hex << int(slots);
    }
    const size_t colours = At(0x2C2E4, 10, n);
    for (size_t i = 0; i < 6; ++i) EXPECT_LE(Image()[colours + i], 0x3F);
    // Copy: primary pants/helmet, primary jersey, secondary pants/helmet, secondary jersey.
    const size_t copy = At(0x342D8, 8, n);
    const size_t copied[4] = {0, 2, 3, 5};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Image()[copy + i], Image()[colours + copied[i]]) << "copy byte " << i;
  }
}

TEST_F(ImageLayout, AbbreviationsAreFourCharactersWithoutBlanksAtTheirPlaces) {
  std::set<std::string> seen;
  for (int n = 0; n <= kTeams; ++n) EXPECT_EQ(TextStart(0x1FC10, n), At(0x1FD00, 4, n)) << n;
  for (int n = 0; n < kTeams; ++n) {
    const std::string abbreviation = TextAt(0x1FC10, n);
    EXPECT_TRUE(abbreviation.size() == 4 && AllOf(abbreviation, '!', '~')) << abbreviation;
    EXPECT_TRUE(seen.insert(abbreviation).second) << abbreviation;
  }
}

struct TextTable {
  const char* what;
  size_t pointers;
  size_t start;
  size_t limit;
  size_t FixedStart::*fixed;
};

void PrintTo(const TextTable& table, std::ostream* out) { *out << table.what; }

class TeamTexts : public ImageLayout, public testing::WithParamInterface<TextTable> {};

TEST_P(TeamTexts, RunEndToEndThroughTheirPointersFromEveryFixedStart) {
  const TextTable table = GetParam();
  EXPECT_EQ(TextStart(table.pointers, 0), table.start);
  std::set<std::string> seen;
  for (int n = 0; n < kTeams; ++n) {
    ASSERT_LT(TextStart(table.pointers, n), TextStart(table.pointers, n + 1)) << table.what << " of team " << n;
    const std::string text = TextAt(table.pointers, n);
    EXPECT_LE(text.size(), 16u) << text;
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return (c >= 'A' && c <= 'Z') || c == ' '; }))
        << text;
    EXPECT_TRUE(seen.insert(text).second) << text;
  }
  EXPECT_LE(TextStart(table.pointers, kTeams), table.limit);
  for (const auto& start : kFixedStarts) {
    EXPECT_EQ(TextStart(table.pointers, start.team), start.*table.fixed) << table.what << " of team " << start.team;
  }
}

INSTANTIATE_TEST_SUITE_P(CitiesAndNicknames, TeamTexts,
                         testing::Values(TextTable{"city", 0x1FC50, 0x1FD7C, 0x1FE77, &FixedStart::city},
                                         TextTable{"nickname", 0x1FC90, 0x1FE77, 0x20010, &FixedStart::nickname}),
                         [](const auto& info) { return std::string(info.param.what); });

// Sum of every rating of a team, walking its attribute records (the skin left out).
int TeamRatingSum(int team) {
  int sum = 0;
  size_t at = At(0x3010, 117, team);
  for (int p = 0; p < kPlayers; ++p) {
    for (size_t i = 0; i < AttributeBytes(p); ++i) {
      if (i != 2) sum += (Image()[at + i] >> 4) + (Image()[at + i] & 0xF);
    }
    at += AttributeBytes(p);
  }
  return sum;
}

TEST_F(ImageLayout, TeamsDifferInStrengthAndStyle) {
  std::set<std::string> playbooks;
  std::set<int> strengths;
  for (int n = 0; n < kTeams; ++n) {
    playbooks.insert(Bytes(At(0x1D310, 4, n), At(0x1D310, 4, n) + 4));
    strengths.insert(TeamRatingSum(n));
  }
  EXPECT_GE(playbooks.size(), 24u);
  EXPECT_GE(strengths.size(), 20u);
  EXPECT_GE(*strengths.rbegin() - *strengths.begin(), 100) << "the strongest and weakest teams should be far apart";
}

}  // namespace

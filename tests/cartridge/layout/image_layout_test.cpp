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

#include "cartridge/builder/embedded_image.h"

namespace {

constexpr int kTeams = 28;
constexpr int kPlayers = 30;
constexpr size_t kPlayerBias = 0x7FF0;
constexpr size_t kTextBias = 0x14010;

struct FixedStart {
  int team;
  size_t city;
  size_t nickname;
  size_t firstEntry;
};
constexpr std::array<FixedStart, 6> kFixedStarts = {{
    {0, 0x1FD7C, 0x1FE77, 0x06DA},
    {7, 0x1FDBA, 0x1FEA2, 0x1086},
    {14, 0x1FDF7, 0x1FED4, 0x1A70},
    {17, 0x1FE15, 0x1FEE8, 0x1EB1},
    {20, 0x1FE29, 0x1FEFD, 0x22EB},
    {25, 0x1FE58, 0x1FF1F, 0x29F1},
}};

std::vector<uint8_t> ReadImageFile() {
  std::ifstream in(QGU_CARTRIDGE_IMAGE, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ImageLayout : public testing::Test {
 protected:
  static void SetUpTestSuite() { image_ = new std::vector<uint8_t>(ReadImageFile()); }
  static void TearDownTestSuite() { delete image_; }

  static const std::vector<uint8_t>& Image() { return *image_; }
  static size_t Word(size_t offset) { return Image()[offset] | (Image()[offset + 1] << 8); }
  // Name entry of player p of team n, following the chain: (start, end).
  static size_t EntryPointer(int team, int player) {
    if (team == kTeams) return Word(0x6D8) - kPlayerBias;
    return Word(0x48 + 60 * static_cast<size_t>(team) + 2 * static_cast<size_t>(player)) - kPlayerBias;
  }
  static size_t TextStart(size_t table, int team) { return Word(table + 2 * static_cast<size_t>(team)) + kTextBias; }
  static std::string TextAt(size_t table, int team) {
    const size_t begin = TextStart(table, team);
    const size_t end = TextStart(table, team + 1);
    return {Image().begin() + static_cast<long>(begin), Image().begin() + static_cast<long>(end)};
  }

  static std::vector<uint8_t>* image_;
};
std::vector<uint8_t>* ImageLayout::image_ = nullptr;

TEST_F(ImageLayout, IsTheINesImageWithTheGameCheckAndIsTheOneEmbedded) {
  ASSERT_EQ(Image().size(), 393'232u);
  const std::array<uint8_t, 16> header = {'N', 'E', 'S', 0x1A, 16, 16, 0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(header.begin(), header.end(), Image().begin()));
  EXPECT_EQ(std::string(Image().begin() + 0x3C139, Image().begin() + 0x3C140), "ZEMRATH");

  const auto embedded = qgu::cartridge::EmbeddedCartridgeImage();
  ASSERT_EQ(embedded.size(), Image().size());
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), Image().begin()));
}

TEST_F(ImageLayout, PlayerEntriesChainEndToEndFromTheirFixedStartsToTheClosingByte) {
  ASSERT_EQ(Image().size(), 393'232u);
  for (int n = 0; n < kTeams; ++n) {
    EXPECT_EQ(Word(0x10 + 2 * static_cast<size_t>(n)), 0x48 + 60 * static_cast<size_t>(n) + kPlayerBias) << n;
  }
  // The word after team n's 30th pointer is team n + 1's first (0x6D8 for team 27).
  size_t previous = 0x6DA;
  for (int n = 0; n < kTeams; ++n) {
    for (int p = 0; p < kPlayers; ++p) {
      const size_t entry = EntryPointer(n, p);
      const size_t next = p + 1 < kPlayers ? EntryPointer(n, p + 1) : EntryPointer(n + 1, 0);
      EXPECT_EQ(entry, previous) << "team " << n << " player " << p;
      ASSERT_GT(next, entry + 2) << "team " << n << " player " << p << " needs a jersey byte and a name";
      previous = next;
    }
  }
  const size_t end = EntryPointer(kTeams, 0);
  EXPECT_LT(end, 0x3010u);
  EXPECT_EQ(Image()[end], 0xFF);
  for (const auto& start : kFixedStarts) EXPECT_EQ(EntryPointer(start.team, 0), start.firstEntry) << start.team;
}

TEST_F(ImageLayout, NameEntriesArePackedJerseysThenLowerCaseThenUpperCaseNames) {
  for (int n = 0; n < kTeams; ++n) {
    std::set<uint8_t> jerseys;
    for (int p = 0; p < kPlayers; ++p) {
      const size_t entry = EntryPointer(n, p);
      const size_t next = p + 1 < kPlayers ? EntryPointer(n, p + 1) : EntryPointer(n + 1, 0);
      const uint8_t jersey = Image()[entry];
      EXPECT_LE(jersey >> 4, 9) << "team " << n << " player " << p;
      EXPECT_LE(jersey & 0xF, 9) << "team " << n << " player " << p;
      EXPECT_TRUE(jerseys.insert(jersey).second) << "team " << n << " wears " << std::hex << int(jersey) << " twice";
      const std::string name(Image().begin() + static_cast<long>(entry + 1), Image().begin() + static_cast<long>(next));
      const auto upper = std::find_if(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
      EXPECT_NE(upper, name.begin()) << name << ": a first name comes first";
      EXPECT_TRUE(std::all_of(name.begin(), upper, [](char c) { return c >= 'a' && c <= 'z'; })) << name;
      EXPECT_TRUE(upper != name.end() && std::all_of(upper, name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
          << name;
    }
  }
}

// Attribute bytes after a player's two rating bytes and skin: 2 (QB),
// 1 (backs, receivers, defence, kickers) or 0 (line); 117 bytes a team.
int ExtraAttributeBytes(int player) { return player <= 1 ? 2 : (player >= 12 && player <= 16 ? 0 : 1); }

// Sum of every rating of a team, walking its attribute records.
int TeamRatingSum(const std::vector<uint8_t>& image, int team) {
  int sum = 0;
  size_t at = 0x3010 + 117 * static_cast<size_t>(team);
  for (int p = 0; p < kPlayers; ++p) {
    const size_t end = at + 3 + static_cast<size_t>(ExtraAttributeBytes(p));
    for (size_t i = at; i < end; ++i) {
      if (i != at + 2) sum += (image[i] >> 4) + (image[i] & 0xF);
    }
    at = end;
  }
  return sum;
}

TEST_F(ImageLayout, AttributeRecordsFillTheirTeamBlocks) {
  const auto extraBytes = ExtraAttributeBytes;
  size_t total = 0;
  for (int p = 0; p < kPlayers; ++p) total += 3 + static_cast<size_t>(extraBytes(p));
  ASSERT_EQ(total, 117u);
  for (int n = 0; n < kTeams; ++n) {
    size_t at = 0x3010 + 117 * static_cast<size_t>(n);
    for (int p = 0; p < kPlayers; ++p) {
      const uint8_t skin = Image()[at + 2];
      EXPECT_TRUE(skin == 0x80 || skin == 0) << "team " << n << " player " << p;
      EXPECT_NE(Image()[at], 0) << "team " << n << " player " << p << " has no speed or power";
      at += 3 + static_cast<size_t>(extraBytes(p));
    }
  }
  EXPECT_EQ(0x3010 + 117 * kTeams - 1, 0x3CDB);
}

TEST_F(ImageLayout, PlaybooksHoldPlayChoicesZeroToSeven) {
  for (int n = 0; n < kTeams; ++n) {
    for (size_t i = 0; i < 4; ++i) {
      const uint8_t slots = Image()[0x1D310 + 4 * static_cast<size_t>(n) + i];
      EXPECT_LE(slots >> 4, 7) << "team " << n;
      EXPECT_LE(slots & 0xF, 7) << "team " << n;
    }
  }
}

TEST_F(ImageLayout, AbbreviationsAreFourCharactersWithoutBlanksAtTheirPlaces) {
  for (int n = 0; n <= kTeams; ++n) {
    EXPECT_EQ(TextStart(0x1FC10, n), 0x1FD00 + 4 * static_cast<size_t>(n)) << n;
  }
  std::set<std::string> seen;
  for (int n = 0; n < kTeams; ++n) {
    const std::string abbreviation = TextAt(0x1FC10, n);
    EXPECT_EQ(abbreviation.size(), 4u);
    EXPECT_TRUE(std::all_of(abbreviation.begin(), abbreviation.end(), [](char c) { return c > ' ' && c < 0x7F; }))
        << abbreviation;
    EXPECT_TRUE(seen.insert(abbreviation).second) << abbreviation;
  }
  // The twelve bytes between the abbreviations and the first city are free.
  EXPECT_EQ(0x1FD00 + 4 * kTeams, 0x1FD70);
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

TEST_F(ImageLayout, UniformColoursArePaletteIndicesAndTheCopyMatchesThem) {
  for (int n = 0; n < kTeams; ++n) {
    const size_t colours = 0x2C2E4 + 10 * static_cast<size_t>(n);
    const size_t copy = 0x342D8 + 8 * static_cast<size_t>(n);
    for (size_t i = 0; i < 6; ++i) EXPECT_LE(Image()[colours + i], 0x3F) << "team " << n;
    // Copy: primary pants/helmet, primary jersey, secondary pants/helmet, secondary jersey.
    EXPECT_EQ(Image()[copy + 0], Image()[colours + 0]) << n;
    EXPECT_EQ(Image()[copy + 1], Image()[colours + 2]) << n;
    EXPECT_EQ(Image()[copy + 2], Image()[colours + 3]) << n;
    EXPECT_EQ(Image()[copy + 3], Image()[colours + 5]) << n;
  }
}

TEST_F(ImageLayout, TeamsDifferInStrengthAndStyle) {
  std::set<std::vector<uint8_t>> playbooks;
  std::set<int> strengths;
  for (int n = 0; n < kTeams; ++n) {
    const size_t playbook = 0x1D310 + 4 * static_cast<size_t>(n);
    playbooks.insert({Image().begin() + static_cast<long>(playbook), Image().begin() + static_cast<long>(playbook + 4)});
    strengths.insert(TeamRatingSum(Image(), n));
  }
  EXPECT_GE(playbooks.size(), 24u);
  EXPECT_GE(strengths.size(), 20u);
  EXPECT_GE(*strengths.rbegin() - *strengths.begin(), 100) << "the strongest and weakest teams should be far apart";
}

}  // namespace

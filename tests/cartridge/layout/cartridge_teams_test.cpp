// Extraction of the cartridge's teams as team records, and the refusal of
// images that are not this game.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "cartridge/builder/team_source.h"
#include "league/cartridge_teams.h"
#include "league/roster.h"
#include "tests/support/cartridge_bytes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_paths.h"

namespace {

using namespace qgu::league;
using qgu::cartridge::SourcePlayer;
using qgu::cartridge::SourceTeam;

std::vector<uint8_t> Image() {
  const auto image = qgu::cartridge::EmbeddedCartridgeImage();
  return {image.begin(), image.end()};
}

std::vector<SourceTeam> SourceTeams() {
  auto parsed =
      qgu::cartridge::ParseTeamSource(qgu::testing::ReadBytes(QGU_SOURCE_DIR "/cartridge/builder/teams.txt"), "teams.txt");
  EXPECT_TRUE(parsed.errors.empty());
  return parsed.teams;
}

CartridgeTeams Extract(const std::vector<uint8_t>& image) {
  auto teams = ExtractCartridgeTeams(image);
  EXPECT_TRUE(teams.ok()) << (teams.ok() ? "" : teams.error());
  return teams.ok() ? teams.value() : CartridgeTeams{};
}

std::string Refusal(const std::vector<uint8_t>& image) {
  auto teams = ExtractCartridgeTeams(image);
  return teams.ok() ? "accepted" : teams.error();
}

using qgu::testing::kFixedStarts;
using qgu::testing::SetText;
using qgu::testing::SetWord;
using qgu::testing::Word;

// The player's ratings in record fields 3..17 as the team file lists them.
std::vector<int> SourceRatings(const SourcePlayer& p, int index) {
  std::vector<int> fields(15, 0);
  for (size_t i = 0; i < 4; ++i) fields[i] = p.common[i];
  fields[4] = p.skin;
  const auto& x = p.extra;
  switch (GroupOfPosition(index)) {
    case PositionGroup::Quarterback: fields[5] = x[0], fields[6] = x[1], fields[7] = x[2], fields[14] = x[3]; break;
    case PositionGroup::BackOrReceiver: fields[8] = x[0], fields[9] = x[1]; break;
    case PositionGroup::OffensiveLine: break;
    case PositionGroup::Defence: fields[10] = x[0], fields[11] = x[1]; break;
    case PositionGroup::Kicking: fields[12] = x[0], fields[13] = x[1]; break;
  }
  return fields;
}

std::vector<int> RecordRatings(const PlayerRecord& p) {
  std::vector<int> fields;
  for (int f = 3; f < kPlayerFieldCount; ++f) fields.push_back(p.*PlayerNumberFields[static_cast<size_t>(f)]);
  return fields;
}

TEST(CartridgeExtraction, GivesEveryTeamOfTheTeamFileWithAllImportedFields) {
  const auto teams = Extract(Image());
  const auto source = SourceTeams();
  ASSERT_EQ(source.size(), teams.size());
  for (size_t t = 0; t < teams.size(); ++t) {
    const TeamHeader& h = teams[t].record.header;
    const SourceTeam& s = source[t];
    EXPECT_EQ(h.city, s.city);
    EXPECT_EQ(h.nickname, s.nickname);
    EXPECT_EQ(h.abbreviation, s.abbreviation);
    EXPECT_EQ(std::vector<int>({h.primaryPantsColour, h.primarySkinColour, h.primaryJerseyColour,
                                h.secondaryPantsColour, h.secondarySkinColour, h.secondaryJerseyColour}),
              std::vector<int>(s.colours.begin(), s.colours.end()));
    EXPECT_EQ(h.runPlays12, s.runs[0] * 16 + s.runs[1]);
    EXPECT_EQ(h.runPlays34, s.runs[2] * 16 + s.runs[3]);
    EXPECT_EQ(h.passPlays12, s.passes[0] * 16 + s.passes[1]);
    EXPECT_EQ(h.passPlays34, s.passes[2] * 16 + s.passes[3]);
    // Formations follow the team number; returners are roster position 4.
    EXPECT_EQ(h.formation, (t == 12 || t == 14 || t == 17) ? 3 : (t == 7 || t == 20 || t == 27) ? 4 : 2) << t;
    EXPECT_EQ(h.kickReturner, 4);
    EXPECT_EQ(h.puntReturner, 4);
    EXPECT_EQ(teams[t].playerTableOffset, 0x48 + 60 * t);
    EXPECT_EQ(teams[t].abbreviationOffset, 0x1FD00 + 4 * t);
    for (const auto& start : kFixedStarts) {
      if (start.team != static_cast<int>(t)) continue;
      EXPECT_EQ(teams[t].entryOffsets[0], start.firstEntry);
      EXPECT_EQ(teams[t].cityOffset, start.city);
      EXPECT_EQ(teams[t].nicknameOffset, start.nickname);
    }
    for (int p = 0; p < kPlayerCount; ++p) {
      const PlayerRecord& player = teams[t].record.players[static_cast<size_t>(p)];
      const SourcePlayer& expected = s.players[static_cast<size_t>(p)];
      EXPECT_EQ(player.jersey, PackJersey(expected.jersey)) << t << "/" << p;
      EXPECT_EQ(player.firstName, expected.firstName);
      EXPECT_EQ(player.lastName, expected.lastName);
      EXPECT_EQ(RecordRatings(player), SourceRatings(expected, p)) << "team " << t << " player " << p;
    }
  }
}

// Names split at the first upper-case letter; texts become safe record
// fields; a pointer that runs back reads as empty, a long text is cut.
TEST(CartridgeExtraction, OddTextsBecomeSafeRecordFields) {
  auto image = Image();
  const auto teams = Extract(image);
  // Team 3's players 5 and 6 rewritten in place, each keeping its length.
  const size_t five = teams[3].entryOffsets[5], six = teams[3].entryOffsets[6], seven = teams[3].entryOffsets[7];
  std::fill(image.begin() + static_cast<long>(five + 1), image.begin() + static_cast<long>(six), 'q');
  std::fill(image.begin() + static_cast<long>(six + 1), image.begin() + static_cast<long>(seven), 'Z');
  SetText(image, seven + 1, "aBc");  // split at the first capital; the rest is the last name as it stands
  SetText(image, teams[2].cityOffset + 1, "\x01\n");  // would split a record line
  image[teams[4].entryOffsets[0] + 2] = 0;           // a zero ends the text as a C string would
  // Team 9's nickname pointed back before its start reads as empty, not as a huge text.
  SetWord(image, 0x1FC90 + 2 * 10, Word(image, 0x1FC90 + 2 * 9) - 3);
  // The last nickname made to run to the end of bank 15.
  SetWord(image, 0x1FC90 + 2 * 28, 0x2000F - 0x14010);
  for (size_t at = Word(image, 0x1FC90 + 2 * 27) + 0x14010; at < 0x2000F; ++at) image[at] = 'W';

  const auto changed = Extract(image);
  const auto& players = changed[3].record.players;
  EXPECT_EQ(players[5].firstName + "|" + players[5].lastName, "|" + std::string(six - five - 1, 'q'));
  EXPECT_EQ(players[6].firstName + "|" + players[6].lastName, "|" + std::string(seven - six - 1, 'Z'));
  EXPECT_EQ(players[7].firstName, "a");
  EXPECT_EQ(players[7].lastName.substr(0, 2), "Bc");
  EXPECT_EQ(changed[2].record.header.city.substr(1, 2), "  ");
  EXPECT_EQ(changed[4].record.players[0].firstName + changed[4].record.players[0].lastName,
            teams[4].record.players[0].firstName.substr(0, 1));
  EXPECT_EQ(changed[9].record.header.nickname, "");
  EXPECT_EQ(changed[27].record.header.nickname, std::string(63, 'W'));
}

// Not an iNES image, another game, too short for the game check, pointers
// that lead outside the image or a last name without its closing byte.
TEST(CartridgeExtraction, RefusesImagesThatAreNotThisGameWithoutReadingPastTheEnd) {
  const auto good = Image();
  const auto cut = [&](size_t size) { return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size)); };
  const auto with = [&](size_t offset, size_t word) {
    auto image = good;
    SetWord(image, offset, word);
    return image;
  };
  auto noClosingByte = good;
  for (size_t at = Extract(good)[27].entryOffsets[29]; at < good.size(); ++at) {
    if (noClosingByte[at] == 0xFF) noClosingByte[at] = 0xFE;
  }
  const std::pair<std::vector<uint8_t>, std::string_view> cases[] = {
      {{}, kRomNotNesMessage},
      {{'N', 'E'}, kRomNotNesMessage},
      {with(0, 'n' | 'E' << 8), kRomNotNesMessage},
      {with(0x3C13E, 'H' | 'X' << 8), kRomNotRecognisedMessage},
      {cut(3), kRomNotRecognisedMessage},
      {cut(16), kRomNotRecognisedMessage},
      {cut(0x3C139), kRomNotRecognisedMessage},
      {cut(0x3C13F), kRomNotRecognisedMessage},
      {with(0x10 + 2 * 5, 0x1234), kRomNotRecognisedMessage},          // a player table below the first bank
      {with(0x48 + 60 * 27 + 2 * 29, 0x0004), kRomNotRecognisedMessage},  // a name entry before the image
      {noClosingByte, kRomNotRecognisedMessage},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(Refusal(cases[i].first), cases[i].second) << "case " << i;
  EXPECT_EQ(CheckCartridgeImage(with(0, 'n' | 'E' << 8)).error(), kRomNotNesMessage);

  // Just long enough for the check: every table the import reads lies before it.
  auto shortest = cut(0x3C140);
  EXPECT_EQ(Refusal(shortest), "accepted");
  EXPECT_EQ(Extract(shortest)[27].record, Extract(good)[27].record);
  // A forged header table in a short image: every pointer still bounds-checked.
  for (int t = 0; t < qgu::cartridge::kTeamCount; ++t) SetWord(shortest, 0x10 + 2 * static_cast<size_t>(t), 0xFFFF);
  const std::string result = Refusal(shortest);
  EXPECT_TRUE(result == "accepted" || result == kRomNotRecognisedMessage) << result;
}

TEST(CartridgeFile, UnreadableFilesFailToLoad) {
  qgu::testing::TempFolder folder;
  // The described message, and why on a second line.
  const std::string prefix = std::string(kRomLoadFailedMessage) + "\n";
  const std::string missing = ReadCartridgeFile(folder / "missing.nes").error();
  EXPECT_TRUE(missing.starts_with(prefix) && missing.ends_with("No such file or directory")) << missing;
  const std::string isFolder = ReadCartridgeFile(folder.path()).error();
  EXPECT_TRUE(isFolder.starts_with(prefix) && isFolder.ends_with("is a folder, not a file")) << isFolder;
  qgu::testing::WriteBytes(folder / "game.nes", "NES\x1a");
  auto bytes = ReadCartridgeFile(folder / "game.nes");
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(bytes.value().size(), 4u);
}

}  // namespace

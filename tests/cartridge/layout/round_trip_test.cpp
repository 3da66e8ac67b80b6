// Round trip: the cartridge's teams extracted, written as team records, put
// back into the carried image by game preparation in every formation pairing,
// and extracted again. The slot teams come back as written; every other byte
// of the image is where it was, except the text that a slot team's longer or
// shorter names push into the next team's start, accounted for exactly.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "driver/game_manager.h"
#include "league/cartridge_teams.h"
#include "league/team_record_file.h"
#include "tests/support/cartridge_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace qgu::league;

using Image = std::vector<uint8_t>;

using qgu::testing::FixedStart;
using qgu::testing::SetText;
using qgu::testing::SetWord;
using qgu::testing::Word;
using Slot = FixedStart;

// The replaceable teams are the fixed starts' teams: first and second slot of
// formations 2 (teams 0, 25), 3 (14, 17) and 4 (7, 20).
const Slot& SlotOf(int formation, bool second) {
  constexpr std::array<std::array<size_t, 2>, 3> kStartOfSlot = {{{0, 5}, {2, 3}, {1, 4}}};
  return qgu::testing::kFixedStarts[kStartOfSlot[static_cast<size_t>(formation - 2)][second ? 1 : 0]];
}

void SetBytes(Image& image, size_t offset, std::initializer_list<int> values) {
  for (const int value : values) image[offset++] = static_cast<uint8_t>(value);
}

uint8_t Pair(int high, int low) { return static_cast<uint8_t>(high << 4 | low); }

// What writing a team into a slot does to an image, byte for byte.
void ExpectedInjection(Image& image, const TeamRecord& record, const Slot& slot) {
  const size_t n = static_cast<size_t>(slot.team);
  const TeamHeader& h = record.header;
  SetText(image, slot.city, h.city);
  SetWord(image, 0x1FC50 + 2 * (n + 1), Word(image, 0x1FC50 + 2 * n) + h.city.size());
  SetText(image, slot.nickname, h.nickname);
  SetWord(image, 0x1FC90 + 2 * (n + 1), Word(image, 0x1FC90 + 2 * n) + h.nickname.size());
  SetText(image, 0x1FD00 + 4 * n, (h.abbreviation + "    ").substr(0, 4));
  SetBytes(image, 0x2C2E4 + 10 * n,
           {h.primaryPantsColour, h.primarySkinColour, h.primaryJerseyColour, h.secondaryPantsColour,
            h.secondarySkinColour, h.secondaryJerseyColour});
  SetBytes(image, 0x342D8 + 8 * n,
           {h.primaryPantsColour, h.primaryJerseyColour, h.secondaryPantsColour, h.secondaryJerseyColour});
  SetBytes(image, 0x1D310 + 4 * n, {h.runPlays12, h.runPlays34, h.passPlays12, h.passPlays34});

  size_t entry = slot.firstEntry;
  size_t attributes = 0x3010 + 117 * n;
  for (size_t p = 0; p < record.players.size(); ++p) {
    const PlayerRecord& player = record.players[p];
    const std::string name = player.firstName.substr(0, 15) + player.lastName.substr(0, 15);
    image[entry] = static_cast<uint8_t>(player.jersey);
    SetText(image, entry + 1, name);
    const size_t pointers = 0x48 + 60 * n;
    SetWord(image, pointers + 2 * (p + 1), Word(image, pointers + 2 * p) + 1 + name.size());
    entry += 1 + name.size();

    std::vector<uint8_t> bytes = {Pair(player.runningSpeed, player.rushingPower),
                                  Pair(player.maximumPower, player.hittingPower), static_cast<uint8_t>(player.skin)};
    switch (GroupOfPosition(static_cast<int>(p))) {
      case PositionGroup::Quarterback:
        bytes.push_back(Pair(player.passingSpeed, player.passControl));
        bytes.push_back(Pair(player.accuracy, player.avoidPassBlock));
        break;
      case PositionGroup::BackOrReceiver: bytes.push_back(Pair(player.ballControl, player.receptions)); break;
      case PositionGroup::OffensiveLine: break;
      case PositionGroup::Defence: bytes.push_back(Pair(player.passInterception, player.quickness)); break;
      case PositionGroup::Kicking: bytes.push_back(Pair(player.kickingAbility, player.avoidKickBlock)); break;
    }
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(attributes));
    attributes += bytes.size();
  }
}

class RoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    const auto carried = qgu::cartridge::EmbeddedCartridgeImage();
    original_.assign(carried.begin(), carried.end());
    auto teams = ExtractCartridgeTeams(original_);
    ASSERT_TRUE(teams.ok()) << teams.error();
    before_ = teams.value();
    std::vector<int> all(qgu::cartridge::kTeamCount);
    for (int t = 0; t < qgu::cartridge::kTeamCount; ++t) all[static_cast<size_t>(t)] = t;
    auto written = WriteCartridgeTeams(league_.path(), before_, all, [](auto&, auto&) { return false; });
    ASSERT_TRUE(written.ok() && written.value().written.size() == 28u);
    paths_ = written.value().written;
  }

  // Prepares a game and checks the image and both extractions; gives the extraction after.
  CartridgeTeams PlayPairing(const fs::path& home, const TeamRecord& homeRecord, const fs::path& away,
                             const TeamRecord& awayRecord) {
    CartridgeTeams after{};
    Prepare(home, homeRecord, away, awayRecord, after);
    return after;
  }

  void Prepare(const fs::path& home, const TeamRecord& homeRecord, const fs::path& away, const TeamRecord& awayRecord,
               CartridgeTeams& extracted) {
    qgu::driver::CGameManager manager(original_);
    manager.SetHomePath(home.string());
    manager.SetAwayPath(away.string());
    ASSERT_TRUE(manager.PrepareGame());
    const int homeFormation = homeRecord.header.formation;
    const int awayFormation = awayRecord.header.formation;
    EXPECT_EQ(manager.FormationPairValue(), 10 * homeFormation + awayFormation);
    const Image prepared(manager.WorkingImage().begin(), manager.WorkingImage().end());

    const Slot& homeSlot = SlotOf(homeFormation, false);
    const Slot& awaySlot = SlotOf(awayFormation, awayFormation == homeFormation);
    Image expected = original_;
    ExpectedInjection(expected, homeRecord, homeSlot);
    ExpectedInjection(expected, awayRecord, awaySlot);
    ASSERT_EQ(prepared.size(), expected.size());
    const auto differs = std::mismatch(prepared.begin(), prepared.end(), expected.begin());
    ASSERT_TRUE(differs.first == prepared.end())
        << "image byte 0x" << std::hex << (differs.first - prepared.begin()) << " is " << int(*differs.first)
        << ", expected " << int(*differs.second);

    auto after = ExtractCartridgeTeams(prepared);
    ASSERT_TRUE(after.ok()) << after.error();
    extracted = after.value();
    EXPECT_EQ(extracted[static_cast<size_t>(homeSlot.team)].record, homeRecord);
    EXPECT_EQ(extracted[static_cast<size_t>(awaySlot.team)].record, awayRecord);
    CheckOtherTeams(extracted, {homeSlot.team, awaySlot.team});
  }

  // Teams outside the slots keep every field; only the team after a slot may
  // read other city, nickname and name texts, pushed there by the slot's texts.
  void CheckOtherTeams(const CartridgeTeams& after, const std::set<int>& slots) {
    for (int t = 0; t < qgu::cartridge::kTeamCount; ++t) {
      if (slots.count(t)) continue;
      const TeamRecord& was = before_[static_cast<size_t>(t)].record;
      TeamRecord now = after[static_cast<size_t>(t)].record;
      if (slots.count(t - 1)) {
        now.header.city = was.header.city;
        now.header.nickname = was.header.nickname;
        for (size_t p = 0; p < now.players.size(); ++p) {
          now.players[p].jersey = was.players[p].jersey;
          now.players[p].firstName = was.players[p].firstName;
          now.players[p].lastName = was.players[p].lastName;
        }
      }
      EXPECT_EQ(now, was) << "team " << t;
    }
  }

  Image original_;
  CartridgeTeams before_{};
  qgu::testing::TempFolder league_;
  std::vector<fs::path> paths_;
};

// Two teams of each formation, none of them in its own slot where avoidable.
const std::map<int, std::array<int, 2>> kTeamsOf = {{2, {3, 11}}, {3, {12, 14}}, {4, {27, 7}}};

TEST_F(RoundTrip, EveryFormationPairingComesBackAsWritten) {
  for (const int homeFormation : {2, 3, 4}) {
    for (const int awayFormation : {2, 3, 4}) {
      SCOPED_TRACE("pairing " + std::to_string(10 * homeFormation + awayFormation));
      const int home = kTeamsOf.at(homeFormation)[0];
      const int away = kTeamsOf.at(awayFormation)[homeFormation == awayFormation ? 1 : 0];
      PlayPairing(paths_[static_cast<size_t>(home)], before_[static_cast<size_t>(home)].record,
                  paths_[static_cast<size_t>(away)], before_[static_cast<size_t>(away)].record);
    }
  }
}

TEST_F(RoundTrip, TheTeamAfterASlotReadsTheTextsPushedIntoIt) {
  // Team 3 into slot 0 with texts that differ from team 0's in length.
  const CartridgeTeams after = PlayPairing(paths_[3], before_[3].record, paths_[12], before_[12].record);
  ASSERT_FALSE(HasFatalFailure());

  // Team 1's city now starts where team 3's city ends in team 0's place and
  // runs to team 2's unchanged start: the tail of team 0's and team 1's old texts.
  const std::string oldCities = before_[0].record.header.city + before_[1].record.header.city;
  const size_t newLength = before_[3].record.header.city.size();
  ASSERT_LE(newLength, oldCities.size());
  EXPECT_EQ(after[1].record.header.city, oldCities.substr(newLength));
  const std::string oldNicknames = before_[0].record.header.nickname + before_[1].record.header.nickname;
  EXPECT_EQ(after[1].record.header.nickname, oldNicknames.substr(before_[3].record.header.nickname.size()));
  EXPECT_EQ(after[1].cityOffset, 0x1FD7C + newLength);
  EXPECT_EQ(after[1].record.players[1], before_[1].record.players[1]);
}

TEST_F(RoundTrip, LongerTextsOverwriteTheNextTeamsStartAndNothingElse) {
  // Texts as long as team 0's and team 1's together (at most 16), names at
  // their longest: everything runs past team 0's own texts into team 1's.
  const auto within = [](const std::string& a, const std::string& b) {
    return std::string("ABCDEFGHIJKLMNOP").substr(0, std::min<size_t>(16, a.size() + b.size()));
  };
  TeamRecord longer = before_[5].record;
  longer.header.city = within(before_[0].record.header.city, before_[1].record.header.city);
  longer.header.nickname = within(before_[0].record.header.nickname, before_[1].record.header.nickname);
  for (auto& player : longer.players) player.lastName = (player.lastName + "XXXXXXXXXXXXXXX").substr(0, 15);
  ASSERT_GT(longer.header.nickname.size(), before_[0].record.header.nickname.size());
  // The roster stays inside team 1's entries, so team 2 keeps its players.
  size_t roster = 0;
  for (const auto& player : longer.players) roster += 1 + player.firstName.size() + player.lastName.size();
  ASSERT_GT(0x6DA + roster, before_[1].entryOffsets[1]);
  ASSERT_LT(0x6DA + roster, before_[2].entryOffsets[0]);
  auto file = CreateTeamRecordFile(league_.path(), longer, TeamLineForm::kImport);
  ASSERT_TRUE(file.ok()) << file.error();
  PlayPairing(file.value(), longer, paths_[27], before_[27].record);
}

}  // namespace

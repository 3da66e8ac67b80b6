// The play table: names and plays as the cartridge has them, picture ids, pictures.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <regex>
#include <set>

#include "editors/change_play_dlg.h"
#include "editors/play_pictures.h"
#include "editors/play_table.h"
#include "tests/editors/editor_test_support.h"
#include "tests/support/test_paths.h"

namespace qgu::editors {
namespace {

// The quoted names of one of the cartridge program's name tables.
std::vector<std::string> CartridgeNames(const std::string& table) {
  const std::string source = testing::ReadBytes(QGU_SOURCE_DIR "/cartridge/program/src/playbook.c");
  const size_t start = source.find(table + "[32] = {");
  const size_t end = source.find("};", start);
  if (start == std::string::npos || end == std::string::npos) return {};
  const std::string body = source.substr(start, end - start);
  std::vector<std::string> names;
  const std::regex quoted("\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(body.begin(), body.end(), quoted); it != std::sregex_iterator(); ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

TEST(PlayTable, NamesAreTheCartridgesAndIdsFollowTheTable) {
  std::set<int> ids;
  for (PlayKind kind : {PlayKind::kRun, PlayKind::kPass}) {
    const std::vector<std::string> cartridge = CartridgeNames(kind == PlayKind::kRun ? "run_names" : "pass_names");
    ASSERT_EQ(cartridge.size(), 32u);
    for (int index = 0; index < 32; ++index) {
      const PlayEntry play = *LookupPlay(index / 8, index % 8, kind);
      EXPECT_EQ(play.name, cartridge[static_cast<size_t>(index)]) << "slot " << index / 8 << " choice " << index % 8;
      // Runs are 313..344 in order; passes 282..312 in order, with 281 for pass slot 1, choice 7.
      const int expected = kind == PlayKind::kRun ? 313 + index : (index == 7 ? 281 : 282 + index - (index > 7));
      EXPECT_EQ(play.pictureId, expected) << play.name;
      ids.insert(play.pictureId);
    }
  }
  EXPECT_EQ(ids.size(), 64u);
  EXPECT_FALSE(LookupPlay(4, 0, PlayKind::kRun));
  EXPECT_FALSE(LookupPlay(0, 8, PlayKind::kPass));
}

// Every picture is 50 x 74, transparent only around the board, and shows the
// ball carrier (the highlight colour). No pixel comes near the key colour
// (a blended edge would show as a pink dot), and any two plays differ in
// enough pixels to be told apart at a glance.
TEST(PlayTable, EveryPlayHasItsOwnPicture) {
  constexpr int kClearlyDifferent = 120;  // of 3,700 pixels
  std::vector<std::pair<int, QImage>> pictures;
  for (int id = 281; id <= 344; ++id) {
    const QImage picture = PlayPicture(id).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), QSize(kPlayPictureWidth, kPlayPictureHeight)) << id;
    const auto colourAt = [&picture](int x, int y) { return picture.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(colourAt(0, 0), kPlayPictureKeyColour) << id;
    EXPECT_EQ(colourAt(1, 1), kPlayPictureKeyColour) << id;
    int highlighted = 0;  // yellowish pixels: the carrier and his way
    int nearKey = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const QRgb c = picture.pixel(x, y);
        highlighted += qRed(c) > 180 && qGreen(c) > 150 && qBlue(c) < 120;
        const bool border = x < 2 || y < 2 || x >= picture.width() - 2 || y >= picture.height() - 2;
        if ((c & 0xFFFFFF) == kPlayPictureKeyColour && border) continue;
        nearKey += std::abs(qRed(c) - 255) + qGreen(c) + std::abs(qBlue(c) - 255) < 200;
      }
    }
    EXPECT_GT(highlighted, 40) << id;
    EXPECT_EQ(nearKey, 0) << id;
    pictures.emplace_back(id, picture);
  }
  int closest = kPlayPictureWidth * kPlayPictureHeight;
  for (size_t a = 0; a < pictures.size(); ++a) {
    for (size_t b = a + 1; b < pictures.size(); ++b) {
      int different = 0;
      for (int y = 0; y < kPlayPictureHeight; ++y) {
        for (int x = 0; x < kPlayPictureWidth; ++x) {
          different += pictures[a].second.pixel(x, y) != pictures[b].second.pixel(x, y);
        }
      }
      closest = std::min(closest, different);
      EXPECT_GE(different, kClearlyDifferent) << pictures[a].first << " and " << pictures[b].first;
    }
  }
  std::cout << "closest pair of play pictures: " << closest << " pixels differ\n";
}

// The arguments of each RUN(...) or PASS(...) entry of one of the cartridge
// program's play tables, as written.
std::vector<std::vector<std::string>> CartridgeTraits(const std::string& table) {
  const std::string source = testing::ReadBytes(QGU_SOURCE_DIR "/cartridge/program/src/rules.c");
  const size_t start = source.find(table + "[32] = {");
  const size_t end = source.find("};", start);
  if (start == std::string::npos || end == std::string::npos) return {};
  const std::string body = source.substr(start, end - start);
  std::vector<std::vector<std::string>> traits;
  const std::regex call("(RUN|PASS)\\(([A-Z_]+), ([A-Z_]+), ([A-Z_]+), ([01])\\)");
  for (auto it = std::sregex_iterator(body.begin(), body.end(), call); it != std::sregex_iterator(); ++it) {
    traits.push_back({(*it)[2], (*it)[3], (*it)[4], (*it)[5]});
  }
  return traits;
}

std::string SideName(Side side) { return side == Side::kLeft ? "LANE_LEFT" : side == Side::kRight ? "LANE_RIGHT" : "LANE_MIDDLE"; }

// The pictures draw what the game plays: the runner the cartridge gives the
// ball to, running the way and to the side it runs; the pass to the kind of
// player it throws to, as deep as it throws, after a fake where it fakes.
TEST(PlayTable, SketchesAgreeWithTheCartridgesPlays) {
  const std::vector<std::vector<std::string>> runs = CartridgeTraits("run_traits");
  const std::vector<std::vector<std::string>> passes = CartridgeTraits("pass_traits");
  ASSERT_EQ(runs.size(), 32u);
  ASSERT_EQ(passes.size(), 32u);
  const auto roleClass = [](Role role) -> std::string {
    switch (role) {
      case Role::kQB: return "QB";
      case Role::kFB: return "FB";
      case Role::kHB:
      case Role::kLeftHB: return "HB";
      default: return "WR";
    }
  };
  for (int index = 0; index < 32; ++index) {
    const PlaySketch run = PlayTable(PlayKind::kRun)[static_cast<size_t>(index)].sketch;
    const std::string_view name = PlayTable(PlayKind::kRun)[static_cast<size_t>(index)].name;
    const std::vector<std::string>& trait = runs[static_cast<size_t>(index)];
    ASSERT_EQ(run.routes[0].role, run.carrier) << name;
    EXPECT_EQ("RUN_" + roleClass(run.carrier), trait[0]) << name;
    const Path path = run.routes[0].path;
    const std::string style = path == Path::kDive || path == Path::kSneak ? "STYLE_DIVE"
                              : path == Path::kSweep || path == Path::kCounterSweep ? "STYLE_SWEEP"
                              : path == Path::kReverse                    ? "STYLE_TRICK"
                                                                          : "STYLE_OFFTACKLE";
    EXPECT_EQ(style, trait[1]) << name;
    EXPECT_EQ(SideName(run.routes[0].side), trait[2]) << name;

    const PlaySketch pass = PlayTable(PlayKind::kPass)[static_cast<size_t>(index)].sketch;
    const std::string_view passName = PlayTable(PlayKind::kPass)[static_cast<size_t>(index)].name;
    const std::vector<std::string>& aim = passes[static_cast<size_t>(index)];
    ASSERT_EQ(pass.routes[0].role, pass.carrier) << passName;
    const std::string back = roleClass(pass.carrier);
    EXPECT_EQ(back == "WR" ? aim[0] != "TO_HB" && aim[0] != "TO_FB" : aim[0] == "TO_" + back, true) << passName;
    const Path route = pass.routes[0].path;
    const bool deep = route == Path::kFly || route == Path::kPost || route == Path::kCorner || route == Path::kOutAndUp;
    const bool behind = route == Path::kFlare || route == Path::kScreen;
    EXPECT_EQ(aim[1] == "DEPTH_DEEP", deep) << passName;
    EXPECT_EQ(aim[1] == "DEPTH_SCREEN", behind) << passName;
    const bool fake = pass.ball == BallPlay::kPlayAction || pass.ball == BallPlay::kFleaFlicker ||
                      pass.ball == BallPlay::kBootLeft || pass.ball == BallPlay::kBootRight;
    EXPECT_EQ(aim[3] == "1", fake) << passName;
  }
}

// The chooser: the current play's name at start, a click changes it, OK returns it.
TEST(ChangePlayDlg, ShowsAndReturnsTheChoice) {
  CChangePlayDlg kept(1, PlayKind::kRun, 7);
  EXPECT_EQ(testing::Shown(&kept, 271), "T Sweep Strong");
  EXPECT_EQ(testing::Control<QWidget>(&kept, 275)->property("pictureId").toInt(), 328);
  kept.accept();
  EXPECT_EQ(kept.Choice(), 7);  // OK without a click: the incoming choice

  CChangePlayDlg changed(3, PlayKind::kPass, 0);
  testing::Click(&changed, 252);
  EXPECT_EQ(testing::Shown(&changed, 271), "Run and Shoot Y Up");
  EXPECT_EQ(changed.Choice(), 1);
}

}  // namespace
}  // namespace qgu::editors

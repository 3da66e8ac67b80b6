// The play table: names as the cartridge shows them, picture ids, pictures.

#include <gtest/gtest.h>

#include <QImage>
#include <regex>
#include <set>

#include "editors/change_play_dlg.h"
#include "editors/play_pictures.h"
#include "editors/play_table.h"
#include "tests/editors/editor_test_support.h"

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
// ball carrier (the highlight colour); no two plays look the same.
TEST(PlayTable, EveryPlayHasItsOwnPicture) {
  std::set<qint64> pictures;
  for (int id = 281; id <= 344; ++id) {
    const QImage picture = PlayPicture(id);
    ASSERT_EQ(picture.size(), QSize(kPlayPictureWidth, kPlayPictureHeight)) << id;
    const auto colourAt = [&picture](int x, int y) { return picture.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(colourAt(0, 0), kPlayPictureKeyColour) << id;
    EXPECT_EQ(colourAt(1, 1), kPlayPictureKeyColour) << id;
    EXPECT_NE(colourAt(25, 10), kPlayPictureKeyColour) << id;
    int highlighted = 0;  // yellowish pixels: the carrier and his way
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const QRgb c = picture.pixel(x, y);
        highlighted += qRed(c) > 180 && qGreen(c) > 150 && qBlue(c) < 120;
      }
    }
    EXPECT_GT(highlighted, 20) << id;
    QByteArray bytes(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes());
    pictures.insert(qHash(bytes));
  }
  EXPECT_EQ(pictures.size(), 64u);
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

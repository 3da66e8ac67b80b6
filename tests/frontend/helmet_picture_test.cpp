// The helmet picture: drawn in the team's own colours and written beside the
// team record file.

#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "frontend/helmet_picture.h"
#include "tests/support/temp_folder.h"

namespace qgu::frontend {
namespace {

// A palette where index i is the colour (i, 2i, 3i), so every index is told apart.
QRgb Spread(int index) { return qRgb(index, 2 * index, 3 * index); }

league::TeamHeader Team() {
  league::TeamHeader team;
  team.abbreviation = "MPD";
  team.primaryPantsColour = 0x30;
  team.primaryJerseyColour = 0x12;
  team.secondaryPantsColour = 0x2A;
  team.secondaryJerseyColour = 0x3F;
  return team;
}

TEST(HelmetPictureTest, WrittenBesideTheRecordInTheTeamsColours) {
  qgu::testing::TempFolder folder;
  const auto record = folder / "MPD0.dat";
  ASSERT_TRUE(WriteHelmetPicture(record, Team(), Spread).ok());

  QImage picture(QString::fromStdString((folder / "MPD0.bmp").string()));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), kHelmetPictureSize);
  std::set<QRgb> colours;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) colours.insert(picture.pixel(x, y) | 0xFF000000u);
  }
  for (int index : {0x30, 0x12, 0x2A, 0x3F}) EXPECT_TRUE(colours.count(Spread(index))) << "index " << index;
  EXPECT_TRUE(colours.count(qRgb(0, 0, 0)));  // the background

  // A second write replaces the first.
  league::TeamHeader repainted = Team();
  repainted.primaryPantsColour = 0x01;
  ASSERT_TRUE(WriteHelmetPicture(record, repainted, Spread).ok());
  QImage again(QString::fromStdString((folder / "MPD0.bmp").string()));
  EXPECT_NE(again, picture);
}

TEST(HelmetPictureTest, PathAndFailure) {
  EXPECT_EQ(HelmetPicturePath("./qgu_lge/Quozi League/AMBE0.dat"), "./qgu_lge/Quozi League/AMBE0.bmp");
  qgu::testing::TempFolder folder;
  const auto result = WriteHelmetPicture(folder / "missing" / "X0.dat", Team(), Spread);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error().find("X0.bmp"), std::string::npos) << result.error();
}

}  // namespace
}  // namespace qgu::frontend

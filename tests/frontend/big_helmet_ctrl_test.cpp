// The boot picture's geometry, read back from what it paints: where each
// helmet lands, "VS." only between two, and the floor that keeps the second
// helmet clear of the status line in a tiny control.

#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>

#include "frontend/big_helmet_ctrl.h"
#include "tests/support/temp_folder.h"

namespace qgu::frontend {
namespace {

QImage Solid(QColor colour) {
  QImage image(16, 12, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

QImage Painted(const CBigHelmetCtrl& control, QSize client, QSize canvas) {
  QImage image(canvas, QImage::Format_RGB32);
  image.fill(Qt::darkGreen);
  QPainter painter(&image);
  control.Paint(painter, client);
  return image;
}

bool AnyWhiteIn(const QImage& image, QRect area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (qGray(image.pixel(x, y)) > 200) return true;
    }
  }
  return false;
}

TEST(BigHelmetCtrlTest, HelmetsLandWhereTheSizeSaysAndVersusOnlyBetweenTwo) {
  CBigHelmetCtrl control;
  const QSize client(400, 300);
  const auto layout = CBigHelmetCtrl::LayoutFor(client);
  EXPECT_EQ(layout.first, QRect(10, 40, 160, 100));
  EXPECT_EQ(layout.second, QRect(220, 160, 160, 100));
  EXPECT_EQ(layout.versus, QPoint(190, 130));
  const QRect versusArea(layout.versus, QSize(30, 20));

  control.SetHelmetImages(Solid(Qt::red), QImage());
  QImage one = Painted(control, client, client);
  EXPECT_EQ(one.pixel(layout.first.center()), QColor(Qt::red).rgb());
  EXPECT_EQ(one.pixel(layout.second.center()), QColor(Qt::black).rgb());
  EXPECT_FALSE(AnyWhiteIn(one, versusArea));

  control.SetHelmetImages(Solid(Qt::red), Solid(Qt::blue));
  control.SetStatusText("Booting");
  QImage two = Painted(control, client, client);
  EXPECT_EQ(two.pixel(layout.second.center()), QColor(Qt::blue).rgb());
  EXPECT_TRUE(AnyWhiteIn(two, versusArea));
  EXPECT_TRUE(AnyWhiteIn(two, QRect(10, 10, 60, 18)));

  control.ClearHelmets();
  EXPECT_FALSE(AnyWhiteIn(Painted(control, client, client), versusArea));

  // A tiny control: the second helmet still starts at (65, 65).
  control.SetHelmetImages(Solid(Qt::red), Solid(Qt::blue));
  const QImage tiny = Painted(control, QSize(40, 40), QSize(100, 100));
  EXPECT_EQ(CBigHelmetCtrl::LayoutFor({40, 40}).second, QRect(65, 65, 5, 5));
  EXPECT_EQ(tiny.pixel(67, 67), QColor(Qt::blue).rgb());
  EXPECT_EQ(tiny.pixel(12, 42), QColor(Qt::red).rgb());
}

TEST(BigHelmetCtrlTest, PicturesLoadFromBackslashPathsAndAnUnreadableOneLeavesThatSideEmpty) {
  qgu::testing::TempFolder folder;
  ASSERT_TRUE(Solid(Qt::red).save(QString::fromStdString(folder.File("TEAM0.bmp")), "BMP"));
  std::string windowsPath = folder.File("TEAM0.bmp");
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');

  CBigHelmetCtrl control;
  control.SetHelmets(windowsPath, folder.File("missing.bmp"));
  EXPECT_TRUE(control.HasFirstHelmet());
  EXPECT_FALSE(control.HasSecondHelmet());
}

}  // namespace
}  // namespace qgu::frontend

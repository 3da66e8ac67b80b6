// The picture button: setter refusals, the key colour, placement while
// pressed, lighting up once per entry, and what a click does.

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

#include "tests/toolserver/recorded_waves.h"
#include "frontend/picture_button/picture_button.h"
#include "frontend/picture_button/picture_resources.h"

namespace qgu::toolserver {
namespace {

constexpr WindowsColour kMagenta = 0xFF00FF;
constexpr WindowsColour kBlueBackground = 0xFF0000;  // Windows order: blue is the high byte
constexpr int kTestPictureId = 9001;

// 20 x 10: a magenta frame around a green 10 x 4 block at (5, 3).
QImage FramedBlock() {
  QImage picture(20, 10, QImage::Format_RGB32);
  picture.fill(QColor(255, 0, 255));
  for (int y = 3; y < 7; ++y)
    for (int x = 5; x < 15; ++x) picture.setPixel(x, y, qRgb(0, 255, 0));
  return picture;
}

QPoint FirstGreenPixel(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == qRgb(0, 255, 0)) return {x, y};
  return {-1, -1};
}

// Receives the URLs the button opens.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  std::vector<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened.push_back(url); }
};

// A flat, picture-only button of 40 x 30 on a blue background.
struct ButtonOnBlue {
  ButtonOnBlue() {
    button.resize(40, 30);
    EXPECT_EQ(button.SetPictures(FramedBlock(), kMagenta), kButtonOk);
    button.SetColour(kNormalBackground, kBlueBackground);
    button.SetColour(kLitBackground, kBlueBackground);
    button.SetLayout(kCaptionOverPicture);
  }
  QImage Drawn() { return button.grab().toImage().convertToFormat(QImage::Format_RGB32); }
  CPictureButton button;
};

void MoveMouse(QWidget& widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &move);
}

TEST(PictureButton, SettersRefuseWhatTheyCannotTakeAndChangeNothing) {
  CPictureButton button;
  button.SetColour(kNormalText, 0x123456);
  struct Case {
    const char* what;
    int code;
    int expected;
  };
  RegisterPicture(kTestPictureId, FramedBlock);
  const Case cases[] = {
      {"colour slot 6", button.SetColour(6, 0xFFFFFF), kBadColourSlot},
      {"colour slot -1", button.SetColour(-1, 0xFFFFFF), kBadColourSlot},
      {"layout 4", button.SetLayout(4), kBadLayoutMode},
      {"pressed style 3", button.SetPressedStyle(3), kBadPressedStyle},
      {"null picture", button.SetPictures(QImage(), kMagenta), kPictureSizeUnknown},
      {"unknown picture id", button.SetPictures(4242, kMagenta), kPictureSizeUnknown},
      {"unknown hot picture id", button.SetPictures(kTestPictureId, kMagenta, 4243, kMagenta), kPictureSizeUnknown},
      {"picture by id", button.SetPictures(kTestPictureId, kMagenta), kButtonOk},
      {"colour slot 5", button.SetColour(5, 0x00FFFF), kButtonOk},
  };
  for (const Case& c : cases) EXPECT_EQ(c.code, c.expected) << c.what;
  EXPECT_EQ(button.Colour(kNormalText), 0x123456u);
  EXPECT_EQ(button.Layout(), kPictureLeftOfCaption);
  EXPECT_EQ(button.PressedStyleOf(), kPressedDownRight);
  EXPECT_EQ(button.Colour(kFocusText), 0x00FFFFu);
}

TEST(PictureButton, KeyColourShowsTheBackgroundAndSizeToContentTakesThePicture) {
  ButtonOnBlue blue;
  const QImage drawn = blue.Drawn();
  // The picture is centred: its magenta frame at (10, 10) of the button shows blue.
  EXPECT_EQ(drawn.pixel(10 + 1, 10 + 1), qRgb(0, 0, 255));
  EXPECT_EQ(FirstGreenPixel(drawn), QPoint(10 + 5, 10 + 3));
  blue.button.move(7, 9);
  blue.button.SizeToContent();
  EXPECT_EQ(blue.button.geometry(), QRect(7, 9, 20, 10));
}

TEST(PictureButton, PressedStylesMoveThePicture) {
  const struct {
    int style;
    QPoint offset;
  } styles[] = {{kPressedDownRight, {1, 1}}, {kPressedDown, {0, 2}}, {kPressedStill, {0, 0}}};
  for (const auto& s : styles) {
    ButtonOnBlue blue;
    blue.button.SetPressedStyle(s.style);
    const QPoint up = FirstGreenPixel(blue.Drawn());
    blue.button.setDown(true);
    EXPECT_EQ(FirstGreenPixel(blue.Drawn()) - up, s.offset) << "style " << s.style;
  }
}

TEST(PictureButton, FlatButtonLightsOncePerEntryWithItsHoverSound) {
  testing::RecordedWaves waves;
  ButtonOnBlue blue;
  QImage hot(20, 10, QImage::Format_RGB32);
  hot.fill(QColor(255, 0, 0));
  blue.button.SetPictures(FramedBlock(), kMagenta, hot, kMagenta);
  blue.button.SetHoverSound(WaveRequest{"hover.wav", false});
  blue.button.show();
  blue.button.activateWindow();
  QGuiApplication::processEvents();
  ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);

  MoveMouse(blue.button, {5, 5});
  MoveMouse(blue.button, {6, 5});
  MoveMouse(blue.button, {7, 6});
  EXPECT_TRUE(blue.button.IsLit());
  EXPECT_EQ(waves.Played().size(), 1u);
  EXPECT_EQ(blue.Drawn().pixel(20, 15), qRgb(255, 0, 0)) << "the hot picture while lit";

  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&blue.button, &leave);
  EXPECT_FALSE(blue.button.IsLit());
  MoveMouse(blue.button, {5, 5});
  EXPECT_EQ(waves.Played().size(), 2u);

  blue.button.SetFlat(false);
  QCoreApplication::sendEvent(&blue.button, &leave);
  MoveMouse(blue.button, {5, 5});
  EXPECT_FALSE(blue.button.IsLit()) << "only flat buttons light up";
}

TEST(PictureButton, ClickPlaysItsSoundThenTogglesOpensTheUrlOrShowsTheMenu) {
  testing::RecordedWaves waves;
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("qgutest", &catcher, "Open");

  CPictureButton button("caption", nullptr);
  button.SetClickSound(WaveRequest{"click.wav", false});
  button.SetUrl(QString("qgutest://league/") + QString(300, 'x'));
  ASSERT_EQ(button.Url()->size(), kMaxUrlLength);
  button.click();
  ASSERT_EQ(catcher.opened.size(), 1u);
  EXPECT_EQ(waves.Played().at(0).file, "click.wav");

  button.SetCheckBoxMode(true);
  button.click();
  EXPECT_TRUE(button.IsChecked());
  button.click();
  EXPECT_FALSE(button.IsChecked());
  EXPECT_EQ(catcher.opened.size(), 1u) << "check-box mode opens nothing";
  button.SetCheckBoxMode(false);

  QMenu menu;
  QMenu* first = menu.addMenu("first");
  first->addAction("one")->setData(101);
  first->addAction("two")->setData(102);
  button.SetPopupMenu(&menu);
  int command = 0;
  QObject::connect(&button, &CPictureButton::MenuCommand, [&](int chosen) { command = chosen; });
  QTimer::singleShot(0, first, [first] {
    first->setActiveAction(first->actions().at(1));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(first, &enter);
  });
  button.click();
  EXPECT_EQ(command, 102);
  EXPECT_EQ(catcher.opened.size(), 1u) << "a popup menu comes before the URL";
  EXPECT_EQ(waves.Played().size(), 4u);
  QDesktopServices::unsetUrlHandler("qgutest");
}

}  // namespace
}  // namespace qgu::toolserver

#include "picture_button_test.moc"

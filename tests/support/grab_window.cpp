// qgu-grab-window: the picture of one window on the X display (or of the
// whole screen) as a PNG, as the display shows it now. Scripts on a virtual
// X server compare and keep windows' pictures with it.
//
//   qgu-grab-window WINDOW|root FILE.png
//
// WINDOW is an X window id as xdotool prints it (decimal). Exit status 1
// when the window cannot be read or the file not written, 2 on a usage error.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: qgu-grab-window WINDOW|root FILE.png\n", stderr);
    return 2;
  }
  char* end = nullptr;
  const bool root = std::strcmp(argv[1], "root") == 0;
  const unsigned long long window = root ? 0 : std::strtoull(argv[1], &end, 10);
  if (!root && (end == argv[1] || *end != '\0' || window == 0)) {
    std::fprintf(stderr, "qgu-grab-window: \"%s\" is no window id\n", argv[1]);
    return 2;
  }
  QGuiApplication application(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr || QGuiApplication::platformName() != "xcb") {
    std::fputs("qgu-grab-window: no X display\n", stderr);
    return 1;
  }
  const QPixmap picture = screen->grabWindow(static_cast<WId>(window));
  if (picture.isNull()) {
    std::fprintf(stderr, "qgu-grab-window: window %s cannot be read\n", argv[1]);
    return 1;
  }
  if (!picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "qgu-grab-window: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

// What the tests of the real window share: shell commands (xdotool), pumping
// the event loop for a while, pictures on request, and the check that an X
// display and xdotool are there (a skip without them, a failure with CI=true).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QString>
#include <QWidget>
#include <cstdlib>
#include <optional>
#include <string>

namespace qgu::testing {

inline bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

inline void Pump(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Saves the window's picture as FOLDER/name when the variable names a folder.
inline void PictureOnRequest(QWidget* window, const char* folderVariable, const char* name) {
  const char* folder = std::getenv(folderVariable);
  if (folder == nullptr) return;
  Pump(200);
  EXPECT_TRUE(window->grab().save(QString("%1/%2").arg(folder, name))) << name;
}

// Why the real window cannot be tested here, or nothing.
inline std::optional<std::string> RealWindowMissing() {
  if (QGuiApplication::platformName() != "xcb") return "no X display";
  if (!Shell("command -v xdotool >/dev/null 2>&1")) return "xdotool is missing (package xdotool)";
  return std::nullopt;
}

inline bool InCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

}  // namespace qgu::testing

// A test of the real window skips without X or xdotool; with CI=true the
// machine lacks what ./qgu test installs, and that is a failure.
#define QGU_NEED_REAL_WINDOW()                                                            \
  if (const std::optional<std::string> missing = ::qgu::testing::RealWindowMissing()) {   \
    if (::qgu::testing::InCi()) FAIL() << *missing << " (CI=true)";                       \
    GTEST_SKIP() << *missing;                                                             \
  }

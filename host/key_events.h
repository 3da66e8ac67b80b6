#pragma once
// Key events of the window as scan codes for CDirectInput.
//
// How the window uses it: it creates one CKeyboardCapture for its
// CDirectInput and installs it on the application
// (qApp->installEventFilter(&capture)); every key pressed or released in any
// of the program's windows then reaches the input state, and all keys are
// let go when the program loses the keyboard, so none stays held. The
// capture only watches: the events go on to their widgets as before.

#include <QObject>

#include "host/direct_input.h"

class QKeyEvent;

namespace qgu::host {

// The event's scan code: from the native key code under X11 and Wayland,
// else (offscreen tests) from Qt's key; 0 for keys outside the code space.
int ScanCodeOfKeyEvent(const QKeyEvent& event);

class CKeyboardCapture : public QObject {
 public:
  explicit CKeyboardCapture(CDirectInput& input, QObject* parent = nullptr);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CDirectInput& input_;
};

}  // namespace qgu::host

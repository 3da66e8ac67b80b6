#pragma once
// Where a window saved at some place goes now: the screens may have changed
// since (a monitor unplugged, a smaller resolution), and the file may say
// anything. The window goes on the screen it overlaps most (else the primary
// one), no larger than that screen's free area, and wholly inside it.

#include <QList>
#include <QRect>

namespace qgu::frontend {

// screens: the free area of every screen, the primary one first.
QRect KeepOnScreen(const QRect& wanted, const QList<QRect>& screens);

// The same with the screens the application has now (the wanted rectangle
// unchanged when there are none).
QRect KeepOnScreen(const QRect& wanted);

}  // namespace qgu::frontend

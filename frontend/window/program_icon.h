#pragma once
// The program's icon, drawn here rather than shipped: a football under a
// crown on a square of turf. The window uses it, and "qgu2 --write-icon"
// writes it for the desktop entry.

#include <QImage>

namespace qgu::frontend {

QImage ProgramIcon(int size = 256);

}  // namespace qgu::frontend

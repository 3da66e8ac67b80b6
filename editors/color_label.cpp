#include "editors/color_label.h"

#include <QPalette>

namespace qgu::editors {

CColorLabel::CColorLabel(int id, QWidget* parent) : QLabel(parent) {
  setObjectName(QString::number(id));
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setAlignment(Qt::AlignCenter);
  setMinimumWidth(36);
  setAutoFillBackground(true);
}

void CColorLabel::SetColours(QColor background, QColor text) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, background);
  colours.setColor(QPalette::WindowText, text);
  setPalette(colours);
}

void CColorLabel::SetDefaultColours() {
  setPalette(QPalette());
  editable_ = false;
}

void CColorLabel::SetEditableColours(bool editable) {
  if (editable) {
    SetColours(Qt::white, Qt::black);
    editable_ = true;
  } else {
    SetDefaultColours();
  }
}

}  // namespace qgu::editors

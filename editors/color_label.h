#pragma once
// A value box: a framed label whose background and text colours the dialog
// sets (white with black text while the value can be changed) and can give
// back to the dialog's own label colours.

#include <QLabel>

namespace qgu::editors {

class CColorLabel : public QLabel {
  Q_OBJECT

 public:
  explicit CColorLabel(int id, QWidget* parent = nullptr);

  void SetColours(QColor background, QColor text);
  // The dialog's label colours, as the box started.
  void SetDefaultColours();
  // White with black text: the value can be changed.
  void SetEditableColours(bool editable);

  bool ShowsEditable() const { return editable_; }

 private:
  bool editable_ = false;
};

}  // namespace qgu::editors

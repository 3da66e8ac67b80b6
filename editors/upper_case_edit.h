#pragma once
// A one-line edit that shows and takes upper case only, limited in length,
// and accepts only the printable characters a team record file and the
// cartridge can hold (no separators, no line ends, nothing outside ASCII).

#include <QLineEdit>

namespace qgu::editors {

class CUpperCaseEdit : public QLineEdit {
  Q_OBJECT

 public:
  CUpperCaseEdit(int id, int maxLength, QWidget* parent = nullptr);

  // Shows a stored text in upper case.
  void SetText(const std::string& text);
  // The text for the record: the stored text, byte for byte, while the shown
  // text is still the one SetText put there; otherwise what the user typed.
  std::string Text() const;

 private:
  std::string stored_;
  QString shown_;
};

}  // namespace qgu::editors

#pragma once
// A drop list of the 64 NES palette colours: every item is drawn as its
// colour with the index ("%02ld") on it, and the closed list shows the
// chosen colour the same way.

#include <QComboBox>

namespace qgu::editors {

class CPaletteCombo : public QComboBox {
  Q_OBJECT

 public:
  explicit CPaletteCombo(int id, QWidget* parent = nullptr);

  // Selects palette index 0..63 (other values: its low six bits, as the console reads them).
  void SelectColour(int index);
  int SelectedColour() const { return currentIndex(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace qgu::editors

#pragma once
// CNewLeagueDlg, "New League" (dialog 205): asks for the name of a new league.

#include <QDialog>
#include <string>

class QLineEdit;

namespace qgu::toolserver {

class CNewLeagueDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int { kOkButton = 1, kCancelButton = 2, kNameEdit = 1037 };

  explicit CNewLeagueDlg(QWidget* owner = nullptr);

  // The name as typed (the league tools trim it).
  std::string Name() const;

 private:
  QLineEdit* name_ = nullptr;
};

}  // namespace qgu::toolserver

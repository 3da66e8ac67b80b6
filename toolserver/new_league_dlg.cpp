#include "toolserver/new_league_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolserver/dialog_ids.h"

namespace qgu::toolserver {

CNewLeagueDlg::CNewLeagueDlg(QWidget* owner) : QDialog(owner) {
  setWindowTitle("New League");
  name_ = new QLineEdit(this);
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(name_, kNameEdit);
  SetControlId(ok, kOkButton);
  SetControlId(cancel, kCancelButton);
  ok->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Please Enter the name of your new league: ", this));
  layout->addWidget(new QLabel("(for example: QGL 2003)", this));
  layout->addWidget(name_);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::string CNewLeagueDlg::Name() const { return name_->text().toStdString(); }

}  // namespace qgu::toolserver

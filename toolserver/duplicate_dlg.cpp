#include "toolserver/duplicate_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolserver/dialog_ids.h"
#include "toolserver/import_texts.h"

namespace qgu::toolserver {

std::string CDuplicateDlg::QuestionText(const league::TeamHeader& team) {
  std::string text(kDuplicateQuestionFormat);
  for (const std::string* part : {&team.city, &team.nickname, &team.abbreviation}) {
    text.replace(text.find("%s"), 2, *part);
  }
  return text;
}

CDuplicateDlg::CDuplicateDlg(const league::TeamHeader& team, QWidget* owner) : QDialog(owner) {
  setWindowTitle("Duplicate");
  auto* question = new QLabel(QString::fromStdString(QuestionText(team)).remove('\r'), this);
  auto* yes = new QPushButton("Yes", this);
  auto* no = new QPushButton("No", this);
  SetControlId(question, kQuestionText);
  SetControlId(yes, kYesButton);
  SetControlId(no, kNoButton);
  no->setDefault(true);
  no->setFocus();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(yes);
  buttons->addWidget(no);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(question);
  layout->addLayout(buttons);

  connect(yes, &QPushButton::clicked, this, &QDialog::accept);
  connect(no, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace qgu::toolserver

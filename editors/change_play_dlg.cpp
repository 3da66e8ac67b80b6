#include "editors/change_play_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qgu::editors {
namespace {

constexpr toolserver::WindowsColour kChosenFrame = 0x00C8FF;  // red FF, green C8, blue 00

}  // namespace

CChangePlayDlg::CChangePlayDlg(int slot, PlayKind kind, int choice, QWidget* parent)
    : QDialog(parent), slot_(slot), kind_(kind), choice_(choice), name_(new QLabel(this)) {
  setObjectName("348");
  setWindowTitle("Change Play");
  auto* group = new QGroupBox("Click new desired play", this);
  auto* grid = new QGridLayout(group);
  for (int k = 0; k < kPlayChoiceCount; ++k) {
    PictureButton* button = MakePictureButton(kChoiceIds[static_cast<size_t>(k)], group);
    button->SetCheckBoxMode(true);  // the chosen play stays pressed, framed in gold
    button->SetColour(toolserver::kLitBackground, kChosenFrame);
    if (const std::optional<PlayEntry> play = LookupPlay(slot_, k, kind_)) {
      ShowPlay(button, play->pictureId);
      button->setToolTip(QString::fromUtf8(play->name.data(), static_cast<qsizetype>(play->name.size())));
    }
    grid->addWidget(button, k / 4, k % 4);
    connect(button, &QPushButton::clicked, this, [this, k] { Choose(k); });
  }
  name_->setObjectName(QString::number(kPlayNameId));
  name_->setAlignment(Qt::AlignCenter);
  name_->setMinimumHeight(24);
  QFont bold = name_->font();
  bold.setBold(true);
  name_->setFont(bold);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(name_);
  layout->addWidget(buttons);
  Choose(choice_);
}

void CChangePlayDlg::Choose(int choice) {
  const std::optional<PlayEntry> play = LookupPlay(slot_, choice, kind_);
  if (!play) return;
  choice_ = choice;
  for (int k = 0; k < kPlayChoiceCount; ++k) {
    findChild<PictureButton*>(QString::number(kChoiceIds[static_cast<size_t>(k)]))->SetChecked(k == choice);
  }
  name_->setText(QString::fromUtf8(play->name.data(), static_cast<qsizetype>(play->name.size())));
}

}  // namespace qgu::editors

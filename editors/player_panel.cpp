#include "editors/player_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editors/color_label.h"
#include "editors/player_steps.h"
#include "editors/upper_case_edit.h"
#include "league/roster.h"

namespace qgu::editors {
namespace {

constexpr int kNameLength = 16;

QPushButton* StepButton(int id, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::number(id));
  button->setFixedSize(22, 22);
  button->setAutoDefault(false);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CPlayerPanel::CPlayerPanel(QWidget* parent) : QWidget(parent) {
  BuildUi();
  ConnectSignals();
  ClearPlayer();
}

void CPlayerPanel::BuildUi() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* identity = new QGridLayout;
  jersey_ = new CColorLabel(kJerseyId, this);
  jersey_->setMinimumWidth(50);
  jerseySteps_ = {StepButton(kJerseyDownId, "-", this), StepButton(kJerseyUpId, "+", this)};
  firstName_ = new CUpperCaseEdit(kFirstNameId, kNameLength, this);
  lastName_ = new CUpperCaseEdit(kLastNameId, kNameLength, this);
  identity->addWidget(new QLabel("Jersey:", this), 0, 0);
  auto* jerseyRow = new QHBoxLayout;
  jerseyRow->addWidget(jersey_);
  jerseyRow->addWidget(jerseySteps_[0]);
  jerseyRow->addWidget(jerseySteps_[1]);
  jerseyRow->addStretch();
  identity->addLayout(jerseyRow, 0, 1);
  identity->addWidget(new QLabel("First Name:", this), 1, 0);
  identity->addWidget(firstName_, 1, 1);
  identity->addWidget(new QLabel("Last Name:", this), 2, 0);
  identity->addWidget(lastName_, 2, 1);
  layout->addLayout(identity);

  auto* ratings = new QGroupBox("Ratings", this);
  auto* grid = new QGridLayout(ratings);
  for (int column = 0; column < 2; ++column) {
    for (int row = 0; row < 4; ++row) {
      QLabel* label = new QLabel(column == 0 ? Text(FirstRatingColumn()[static_cast<size_t>(row)].label) : QString(), ratings);
      if (column == 1) {
        label->setObjectName(QString::number(kSecondLabelIds[static_cast<size_t>(row)]));
        secondLabels_[static_cast<size_t>(row)] = label;
      }
      const int downId = kStepDownIds[static_cast<size_t>(column)][static_cast<size_t>(row)];
      auto& buttons = steps_[static_cast<size_t>(column)][static_cast<size_t>(row)];
      buttons = {StepButton(downId, "-", ratings), StepButton(downId + 1, "+", ratings)};
      CColorLabel*& value = values_[static_cast<size_t>(column)][static_cast<size_t>(row)];
      value = new CColorLabel(kValueIds[static_cast<size_t>(column)][static_cast<size_t>(row)], ratings);
      const int base = column * 4;
      grid->addWidget(label, row, base);
      grid->addWidget(value, row, base + 1);
      grid->addWidget(buttons[0], row, base + 2);
      grid->addWidget(buttons[1], row, base + 3);
    }
  }
  grid->setColumnMinimumWidth(4, 150);
  layout->addWidget(ratings);

  auto* extras = new QHBoxLayout;
  kickReturner_ = new QCheckBox("Starting Kick Returner", this);
  kickReturner_->setObjectName(QString::number(kKickReturnerId));
  puntReturner_ = new QCheckBox("Starting Punt Returner", this);
  puntReturner_->setObjectName(QString::number(kPuntReturnerId));
  auto* returners = new QVBoxLayout;
  returners->addWidget(kickReturner_);
  returners->addWidget(puntReturner_);
  extras->addLayout(returners);
  auto* skin = new QGroupBox("Skin", this);
  auto* skinLayout = new QHBoxLayout(skin);
  black_ = new QRadioButton("Black", skin);
  black_->setObjectName(QString::number(kBlackId));
  white_ = new QRadioButton("White", skin);
  white_->setObjectName(QString::number(kWhiteId));
  auto* radios = new QButtonGroup(skin);
  radios->addButton(black_);
  radios->addButton(white_);
  skinLayout->addWidget(black_);
  skinLayout->addWidget(white_);
  extras->addWidget(skin);
  layout->addLayout(extras);
}

void CPlayerPanel::ConnectSignals() {
  connect(jerseySteps_[0], &QPushButton::clicked, this, [this] { StepJersey(-1); });
  connect(jerseySteps_[1], &QPushButton::clicked, this, [this] { StepJersey(1); });
  for (int column = 0; column < 2; ++column) {
    for (int row = 0; row < 4; ++row) {
      const auto& buttons = steps_[static_cast<size_t>(column)][static_cast<size_t>(row)];
      connect(buttons[0], &QPushButton::clicked, this, [this, column, row] { StepRow(column, row, -1); });
      connect(buttons[1], &QPushButton::clicked, this, [this, column, row] { StepRow(column, row, 1); });
    }
  }
  for (CUpperCaseEdit* edit : {firstName_, lastName_}) connect(edit, &QLineEdit::textEdited, this, &CPlayerPanel::Changed);
  // Checking makes the shown player the returner; clearing changes nothing.
  connect(kickReturner_, &QCheckBox::clicked, this, [this](bool checked) {
    if (checked && index_ >= 0) emit KickReturnerChosen(index_);
    emit Changed();
  });
  connect(puntReturner_, &QCheckBox::clicked, this, [this](bool checked) {
    if (checked && index_ >= 0) emit PuntReturnerChosen(index_);
    emit Changed();
  });
  connect(black_, &QRadioButton::clicked, this, [this] {
    emit SkinChosen(kBlackSkin);
    emit Changed();
  });
  connect(white_, &QRadioButton::clicked, this, [this] {
    emit SkinChosen(kWhiteSkin);
    emit Changed();
  });
}

void CPlayerPanel::ShowPlayer(int index, league::PlayerRecord* player, int kickReturner, int puntReturner) {
  index_ = index;
  player_ = player;
  firstName_->SetText(player->firstName);
  lastName_->SetText(player->lastName);
  const RatingColumn& second = SecondRatingColumn(index);
  for (size_t row = 0; row < secondLabels_.size(); ++row) {
    const bool used = second[row].field != nullptr;
    secondLabels_[row]->setText(Text(second[row].label));
    for (QWidget* widget : {static_cast<QWidget*>(secondLabels_[row]), static_cast<QWidget*>(values_[1][row]),
                            static_cast<QWidget*>(steps_[1][row][0]), static_cast<QWidget*>(steps_[1][row][1])}) {
      widget->setVisible(used);
    }
  }
  const bool returns = league::CanReturnKicks(index);
  kickReturner_->setChecked(returns && kickReturner == index);
  puntReturner_->setChecked(returns && puntReturner == index);
  (ShowsBlack(player->skin) ? black_ : white_)->setChecked(true);
  ShowValues();
  UpdateEnabled();
}

void CPlayerPanel::ClearPlayer() {
  index_ = -1;
  player_ = nullptr;
  jersey_->clear();
  firstName_->SetText({});
  lastName_->SetText({});
  for (auto& column : values_) {
    for (CColorLabel* value : column) value->clear();
  }
  for (size_t row = 0; row < secondLabels_.size(); ++row) {
    secondLabels_[row]->clear();
    for (QWidget* widget : {static_cast<QWidget*>(values_[1][row]), static_cast<QWidget*>(steps_[1][row][0]),
                            static_cast<QWidget*>(steps_[1][row][1])}) {
      widget->setVisible(false);
    }
  }
  kickReturner_->setChecked(false);
  puntReturner_->setChecked(false);
  UpdateEnabled();
}

void CPlayerPanel::SetEditable(bool editable) {
  editable_ = editable;
  UpdateEnabled();
}

void CPlayerPanel::UpdateEnabled() {
  const bool active = editable_ && player_ != nullptr;
  for (CUpperCaseEdit* edit : {firstName_, lastName_}) edit->setReadOnly(!active);
  for (QPushButton* step : jerseySteps_) step->setEnabled(active);
  jersey_->SetEditableColours(active);
  for (size_t column = 0; column < 2; ++column) {
    const RatingColumn& rows = column == 0 ? FirstRatingColumn() : SecondRatingColumn(index_);
    for (size_t row = 0; row < 4; ++row) {
      const bool used = active && rows[row].field != nullptr;
      for (QPushButton* step : steps_[column][row]) step->setEnabled(used);
      values_[column][row]->SetEditableColours(used);
    }
  }
  const bool returns = active && league::CanReturnKicks(index_);
  kickReturner_->setEnabled(returns);
  puntReturner_->setEnabled(returns);
  black_->setEnabled(active);
  white_->setEnabled(active);
}

void CPlayerPanel::ShowValues() {
  if (player_ == nullptr) return;
  jersey_->setText(QString::fromStdString(league::JerseyText(player_->jersey)));
  for (size_t column = 0; column < 2; ++column) {
    const RatingColumn& rows = column == 0 ? FirstRatingColumn() : SecondRatingColumn(index_);
    for (size_t row = 0; row < 4; ++row) {
      if (rows[row].field == nullptr) {
        values_[column][row]->clear();
      } else {
        values_[column][row]->setText(Text(league::RatingText(player_->*rows[row].field)));
      }
    }
  }
}

void CPlayerPanel::StepRow(int column, int row, int delta) {
  if (player_ == nullptr || !StepRating(*player_, index_, column, row, delta)) return;
  ShowValues();
  emit Changed();
}

void CPlayerPanel::StepJersey(int delta) {
  if (player_ == nullptr) return;
  player_->jersey = SteppedJersey(jersey_->text().toStdString(), delta);
  ShowValues();
  emit Changed();
}

std::string CPlayerPanel::FirstName() const { return firstName_->Text(); }
std::string CPlayerPanel::LastName() const { return lastName_->Text(); }
int CPlayerPanel::ChosenSkin() const { return black_->isChecked() ? kBlackSkin : kWhiteSkin; }

}  // namespace qgu::editors

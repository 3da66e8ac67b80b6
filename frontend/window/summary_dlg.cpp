#include "frontend/window/summary_dlg.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/box_score.h"
#include "driver/team_stats.h"

namespace qgu::frontend {
namespace {

QFont FixedWidthFont() {
  QFont font;
  font.setFamilies({"Courier New", "DejaVu Sans Mono", "Liberation Mono"});
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(8);
  return font;
}

QLabel* Label(const std::string& text, int id) {
  auto* label = new QLabel(QString::fromStdString(text));
  label->setObjectName(QString::number(id));
  return label;
}

}  // namespace

CSummaryDlg::CSummaryDlg(QWidget* owner, const driver::GameSummary& summary) : QDialog(owner) {
  setObjectName("202");
  setWindowTitle("Summary");
  setFont(FixedWidthFont());

  const driver::TeamBoxScore home =
      driver::MakeTeamBoxScore(driver::ParseTeamStats(summary.homeStats), summary.homeScore);
  const driver::TeamBoxScore away =
      driver::MakeTeamBoxScore(driver::ParseTeamStats(summary.awayStats), summary.awayScore);

  auto* headline = new QLabel(QString::fromUtf8(driver::kSummaryHeadline.data(),
                                                static_cast<qsizetype>(driver::kSummaryHeadline.size())));
  headline->setAlignment(Qt::AlignCenter);
  auto* scores = new QGridLayout;
  scores->addWidget(Label(home.team, kHomeTeamName), 0, 0);
  scores->addWidget(Label(home.score, kHomeScore), 0, 1, Qt::AlignRight);
  scores->addWidget(Label(away.team, kAwayTeamName), 1, 0);
  scores->addWidget(Label(away.score, kAwayScore), 1, 1, Qt::AlignRight);
  scores->setColumnStretch(0, 1);

  table_ = new QListWidget;
  table_->setObjectName(QString::number(kStatisticsList));
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const driver::TeamBoxScore* team : {&home, &away}) {
    for (const std::string& line : driver::TeamTableLines(*team)) table_->addItem(QString::fromStdString(line));
  }

  auto* done = new QPushButton("Done");
  done->setObjectName(QString::number(kDoneButton));
  done->setDefault(true);
  connect(done, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(headline);
  layout->addLayout(scores);
  layout->addWidget(table_, 1);
  layout->addWidget(done, 0, Qt::AlignCenter);
  resize(480, 420);
}

QStringList CSummaryDlg::TableLines() const {
  QStringList lines;
  for (int i = 0; i < table_->count(); ++i) lines << table_->item(i)->text();
  return lines;
}

}  // namespace qgu::frontend

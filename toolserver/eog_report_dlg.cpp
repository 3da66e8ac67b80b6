#include "toolserver/eog_report_dlg.h"

#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

#include "toolserver/dialog_ids.h"
#include "toolserver/rtf_reader.h"

namespace qgu::toolserver {
namespace {

constexpr int kListFontPixels = 14;
constexpr int kSpacerColumnWidth = 4;
constexpr QSize kDialogSize{720, 560};
// The widest line of a section (passing: a 16-character name and six figures),
// with room for the cell's margins, fits each column whole.
constexpr int kWidestLineCharacters = 44;

// Rows are drawn in their own colours whether selected or not.
class PlainRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem plain(option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    QStyledItemDelegate::paint(painter, plain, index);
  }
};

void SetBackground(QWidget* widget, WindowsColour colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, ToQColor(colour));
  palette.setColor(QPalette::Base, ToQColor(colour));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void ShowRichText(QTextEdit* edit, const std::string& rtf, Qt::Alignment alignment) {
  ReadRtfInto(*edit->document(), rtf);
  QTextCursor all(edit->document());
  all.select(QTextCursor::Document);
  QTextBlockFormat block;
  block.setAlignment(alignment);
  all.mergeBlockFormat(block);
}

}  // namespace

CEogReportDlg::CEogReportDlg(std::string_view homeStats, std::string_view awayStats, std::string homeScore,
                             std::string awayScore, QWidget* owner)
    : QDialog(owner),
      home_(ParseReportSide(homeStats)),
      away_(ParseReportSide(awayStats)),
      homeScore_(std::move(homeScore)),
      awayScore_(std::move(awayScore)) {
  BuildUi();
  FillTexts();
  FillBoxScore();
}

QTextEdit* CEogReportDlg::AddRichEdit(int id) {
  auto* edit = new QTextEdit(this);
  SetControlId(edit, id);
  edit->setReadOnly(true);
  edit->setFrameShape(QFrame::NoFrame);
  edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit->setTextInteractionFlags(Qt::NoTextInteraction);
  SetBackground(edit, kReportBackground);
  SetBackground(edit->viewport(), kReportBackground);
  return edit;
}

void CEogReportDlg::BuildUi() {
  setWindowTitle(QString());
  setFont(QFont("Courier New", 8));
  SetBackground(this, kReportBackground);
  resize(kDialogSize);

  QTextEdit* banner = AddRichEdit(kBanner);
  banner->setFixedHeight(56);
  QTextEdit* homeName = AddRichEdit(kHomeName);
  QTextEdit* homeScore = AddRichEdit(kHomeScore);
  QTextEdit* awayName = AddRichEdit(kAwayName);
  QTextEdit* awayScore = AddRichEdit(kAwayScore);
  for (QTextEdit* line : {homeName, homeScore, awayName, awayScore}) line->setFixedHeight(40);
  homeScore->setFixedWidth(90);
  awayScore->setFixedWidth(90);

  list_ = new QTableWidget(this);
  SetControlId(list_, kBoxScoreList);
  QFont listFont("Courier New");
  listFont.setPixelSize(kListFontPixels);
  list_->setFont(listFont);
  const int column = QFontMetrics(listFont).horizontalAdvance(QString(kWidestLineCharacters, QChar('0')));
  list_->setMinimumWidth(2 * column + kSpacerColumnWidth + 2 * list_->frameWidth());
  list_->setColumnCount(3);
  list_->horizontalHeader()->setMinimumSectionSize(kSpacerColumnWidth);  // the spacer column is this narrow
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(QFontMetrics(listFont).height() + 2);
  list_->setShowGrid(false);
  list_->setWordWrap(false);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setItemDelegate(new PlainRowDelegate(list_));
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  SetBackground(list_->viewport(), kReportBackground);
  list_->viewport()->installEventFilter(this);

  // The list's scroll control stands at its right edge and moves it row by row.
  scroll_ = new QScrollBar(Qt::Vertical, this);
  SetControlId(scroll_, kBoxScoreScroll);
  QScrollBar* own = list_->verticalScrollBar();
  connect(own, &QScrollBar::rangeChanged, scroll_, &QScrollBar::setRange);
  connect(own, &QScrollBar::valueChanged, scroll_, &QScrollBar::setValue);
  connect(scroll_, &QScrollBar::valueChanged, own, &QScrollBar::setValue);

  auto* done = new QPushButton("Done", this);
  SetControlId(done, kDoneButton);
  done->setDefault(true);
  connect(done, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(banner, 0, 0, 1, 3);
  layout->addWidget(homeName, 1, 0, 1, 2);
  layout->addWidget(homeScore, 1, 2);
  layout->addWidget(awayName, 2, 0, 1, 2);
  layout->addWidget(awayScore, 2, 2);
  layout->addWidget(list_, 3, 0, 1, 2);
  layout->addWidget(scroll_, 3, 2, Qt::AlignLeft);
  layout->addWidget(done, 4, 0, 1, 3, Qt::AlignRight);
  layout->setColumnStretch(0, 1);
  layout->setRowStretch(3, 1);
}

void CEogReportDlg::FillTexts() {
  const ReportDocuments documents = MakeReportDocuments(home_.team, away_.team, homeScore_, awayScore_);
  ShowRichText(findChild<QTextEdit*>(QString::number(kBanner)), documents.banner, Qt::AlignHCenter);
  ShowRichText(findChild<QTextEdit*>(QString::number(kHomeName)), documents.homeName, Qt::AlignLeft);
  ShowRichText(findChild<QTextEdit*>(QString::number(kAwayName)), documents.awayName, Qt::AlignLeft);
  ShowRichText(findChild<QTextEdit*>(QString::number(kHomeScore)), documents.homeScore, Qt::AlignRight);
  ShowRichText(findChild<QTextEdit*>(QString::number(kAwayScore)), documents.awayScore, Qt::AlignRight);
}

void CEogReportDlg::FillBoxScore() {
  list_->setHorizontalHeaderLabels(
      {QString::fromStdString(home_.team), QString(), QString::fromStdString(away_.team)});
  const std::vector<BoxScoreRow> rows = BoxScoreRows(home_, away_);
  list_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const BoxScoreRow& row = rows[static_cast<size_t>(r)];
    const RowColours colours = ColoursOf(StyleOfRow(row.home, r));
    const QString texts[3] = {QString::fromStdString(row.home), QString(), QString::fromStdString(row.away)};
    for (int column = 0; column < 3; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      item->setForeground(ToQColor(colours.text));
      item->setBackground(ToQColor(column == 1 ? kSpacerColumnBackground : colours.background));
      list_->setItem(r, column, item);
    }
  }
  list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

bool CEogReportDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport() && event->type() == QEvent::Resize) FitColumns();
  return QDialog::eventFilter(watched, event);
}

void CEogReportDlg::FitColumns() {
  // Home and away each take half of what the spacer column leaves.
  const int half = (list_->viewport()->width() - kSpacerColumnWidth) / 2;
  list_->setColumnWidth(0, half);
  list_->setColumnWidth(1, kSpacerColumnWidth);
  list_->setColumnWidth(2, half);
}

}  // namespace qgu::toolserver

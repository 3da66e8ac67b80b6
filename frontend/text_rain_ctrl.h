#pragma once
// CTextRainCtrl: the tool server's about-box picture. Columns of green
// characters fall on black, and in the middle the message text is spelled out
// one message at a time (the text is split at commas; after the last message
// the first comes again): letters not yet settled flicker as symbols until
// they settle into place.
//
// Three clocks drive it while it is shown: every 10 ms the next letter may
// settle, every 15 ms the unsettled letters change symbol, every 120 ms the
// columns fall one character. Each step is public so that it can be driven
// without the clocks.

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <random>
#include <vector>

namespace qgu::frontend {

inline const QString kTextRainMessage = QStringLiteral("What is the Matrix?");

class CTextRainCtrl : public QWidget {
  Q_OBJECT

 public:
  // Characters of the columns come from these codes (read as Windows-1252).
  static constexpr int kFirstRainCode = 75;
  static constexpr int kLastRainCode = 200;
  static constexpr int kShortestRun = 5;
  static constexpr int kLongestRun = 15;
  static constexpr int kSettleMs = 10;
  static constexpr int kFlickerMs = 15;
  static constexpr int kFallMs = 120;
  // What unsettled letters show.
  static const QString kSymbols;

  struct Column {
    int headRow = 0;     // the row of the lowest character; above the top while waiting
    QString run;         // the characters, top first
  };

  explicit CTextRainCtrl(QWidget* parent = nullptr, const QString& messageText = kTextRainMessage,
                         uint32_t seed = std::random_device{}());

  QSize sizeHint() const override { return {320, 240}; }

  // The clocks' steps.
  void SettleStep();
  void FlickerStep();
  void FallStep();

  const QStringList& Messages() const { return messages_; }
  int MessageIndex() const { return messageIndex_; }
  // The message as shown now: settled letters, symbols for the others.
  const QString& ShownMessage() const { return shown_; }
  const std::vector<Column>& Columns() const { return columns_; }
  int Rows() const { return rows_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void MakeColumns();
  void RestartColumn(Column& column, bool anywhere);
  QChar RandomRainChar();
  QChar RandomSymbol();
  int Random(int low, int high);  // low..high inclusive
  void StartMessage(int index);
  void UpdateShown();

  QFont font_;
  int cellWidth_ = 10;
  int cellHeight_ = 16;
  int rows_ = 0;
  std::vector<Column> columns_;

  QStringList messages_;
  int messageIndex_ = 0;
  int settled_ = 0;      // letters of the message in place
  int settleTicks_ = 0;  // ticks since the last letter settled (or since all did)
  QString shown_;

  std::mt19937 random_;
  int settleTimer_ = 0;
  int flickerTimer_ = 0;
  int fallTimer_ = 0;
};

}  // namespace qgu::frontend

#pragma once
// CCreditsCtrl: the game program's about-box picture. A star field flies
// towards the viewer while the credits crawl up the screen and recede into
// the distance, narrowing and fading towards the top. One frame every 75 ms
// while the control is shown.

#include <QFont>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <random>

namespace qgu::frontend {

class CCreditsCtrl : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kStarCount = 100;
  static constexpr int kFrameMs = 75;

  struct Star {
    int x = 0;
    int y = 0;
    int z = 0;
  };

  explicit CCreditsCtrl(QWidget* parent = nullptr, uint32_t seed = std::random_device{}());

  void SetStarSpeed(int speed) { starSpeed_ = speed; }
  void SetScrollStep(int step) { scrollStep_ = step; }
  void AddLine(const QString& line) { lines_ << line; }

  // The step that makes up for slow drawing: a frame that takes d ms of its
  // 75 ms (measured once) moves the crawl step x d / 50 pixels, but never less
  // than the step itself, so that a fast machine does not stop the crawl.
  static int ScaledScrollStep(int step, int measuredFrameMs);

  // One frame: the stars move, the crawl is drawn and moves up by the step.
  void DrawFrame();

  int ScrollPosition() const { return scrollPosition_; }
  int ScrollStep() const { return scrollStep_; }
  int LineHeight() const;
  const std::array<Star, kStarCount>& Stars() const { return stars_; }
  const QImage& Frame() const { return frame_; }

  QSize sizeHint() const override { return {480, 360}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void MoveAndDrawStars();
  QImage DrawCrawl();
  void RecedeInto(const QImage& crawl);

  QFont font_;
  std::array<Star, kStarCount> stars_{};
  int starSpeed_ = 30;
  int scrollStep_ = 2;
  int scrollPosition_ = 0;
  bool started_ = false;
  QStringList lines_;
  QImage frame_;
  int timer_ = 0;
};

}  // namespace qgu::frontend

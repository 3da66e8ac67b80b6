#pragma once
// Answers the modal windows a tool opens, in order: each step waits until
// the active modal window has the step's title, then acts on it (ticks boxes,
// clicks a button ...). Steps may open further modal windows; the script
// keeps answering inside them. A script that cannot go on (a window that
// never comes, or one nobody answers) closes what is open, so the test ends
// and reports it instead of hanging.

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qgu::testing {

class ModalScript {
 public:
  using Action = std::function<void(QWidget* window)>;

  ModalScript() {
    timer_.setInterval(kPollMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  ModalScript& On(QString title, Action act) {
    steps_.push_back({std::move(title), nullptr, std::move(act)});
    return *this;
  }
  // As On, once `ready` says the window is ready for the action (an animation has run, ...).
  ModalScript& OnceReady(QString title, std::function<bool(QWidget*)> ready, Action act) {
    steps_.push_back({std::move(title), std::move(ready), std::move(act)});
    return *this;
  }

  // Every step was taken and no window was left for the script to close.
  bool Finished() const { return steps_.empty() && stuck_.empty(); }
  // What went wrong: titles of windows that had to be closed, or steps never reached.
  std::vector<std::string> Problems() const {
    std::vector<std::string> problems = stuck_;
    for (const Step& step : steps_) problems.push_back("never shown: " + step.title.toStdString());
    return problems;
  }
  // Titles of the windows acted on, in order.
  const std::vector<std::string>& Seen() const { return seen_; }

 private:
  static constexpr int kPollMs = 5;
  // About half a minute of waiting for the next window before giving up.
  static constexpr int kPatience = 6000;

  struct Step {
    QString title;
    std::function<bool(QWidget*)> ready;
    Action act;
  };

  void Poll() {
    QWidget* window = QApplication::activeModalWidget();
    if (acting_ || window == nullptr || !window->isVisible()) return;
    if (!steps_.empty() && window->windowTitle() == steps_.front().title &&
        (!steps_.front().ready || steps_.front().ready(window))) {
      Step step = std::move(steps_.front());
      steps_.pop_front();
      waited_ = 0;
      seen_.push_back(step.title.toStdString());
      // Acted on from its own event, not from the poll: a timer is not fired again
      // while its handler runs, and the action may open a window of its own.
      acting_ = true;
      QTimer::singleShot(0, window, [this, window, act = std::move(step.act)] {
        acting_ = false;
        act(window);
      });
      return;
    }
    if (++waited_ < kPatience) return;
    stuck_.push_back("left open: " + window->windowTitle().toStdString());
    waited_ = 0;
    window->close();
  }

  QTimer timer_;
  std::deque<Step> steps_;
  std::vector<std::string> seen_;
  std::vector<std::string> stuck_;
  int waited_ = 0;
  bool acting_ = false;
};

// Clicks the button of a window whose text (mnemonic marks removed) is `text`.
inline bool ClickButtonText(QWidget* window, const QString& text) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if (button->text().remove('&') == text && button->isVisible()) {
      button->click();
      return true;
    }
  }
  return false;
}

}  // namespace qgu::testing

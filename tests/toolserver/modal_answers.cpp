// Test-only: lets a client written in another language answer the modal
// windows the tool server's operations open, as ModalScript does for the C++
// tests. The client loads this library before calling the module, makes the
// Qt application through it (the module then uses that one) and queues the
// answers: for each window by title, the button to click (by id) or 0 to
// close it. What each answered window showed in its rich-text controls is
// kept for the client to check.

#include <QAbstractButton>
#include <QApplication>
#include <QTextEdit>
#include <map>
#include <memory>
#include <string>

#include "tests/toolserver/modal_script.h"

namespace {

int argc = 1;
char name[] = "modal_answers";
char* argv[] = {name, nullptr};
std::unique_ptr<QApplication> application;
std::unique_ptr<qgu::testing::ModalScript> script;
std::string seen;

// "title: 377=HAWKS 380=24 ..." for the rich edits with numeric ids.
void Record(QWidget* window) {
  std::map<int, std::string> texts;
  for (QTextEdit* edit : window->findChildren<QTextEdit*>()) {
    bool numeric = false;
    const int id = edit->objectName().toInt(&numeric);
    if (numeric) texts[id] = edit->toPlainText().trimmed().toStdString();
  }
  seen += window->windowTitle().toStdString() + ":";
  for (const auto& [id, text] : texts) seen += " " + std::to_string(id) + "=" + text;
  seen += "\n";
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void qgu_answers_start() {
  if (!application) application = std::make_unique<QApplication>(argc, argv);
  script = std::make_unique<qgu::testing::ModalScript>();
  seen.clear();
}

extern "C" __attribute__((visibility("default"))) void qgu_answers_on(const char* title, int buttonId) {
  script->On(QString::fromUtf8(title), [buttonId](QWidget* window) {
    Record(window);
    auto* button = window->findChild<QAbstractButton*>(QString::number(buttonId));
    if (buttonId != 0 && button != nullptr) {
      button->click();
    } else {
      window->close();
    }
  });
}

// 1 when every answer was given and no window had to be closed for lack of one.
extern "C" __attribute__((visibility("default"))) int qgu_answers_finished() { return script->Finished() ? 1 : 0; }

extern "C" __attribute__((visibility("default"))) const char* qgu_answers_seen() { return seen.c_str(); }

// What went wrong, one line each: windows that had to be closed, answers never used.
extern "C" __attribute__((visibility("default"))) const char* qgu_answers_problems() {
  static std::string problems;
  problems.clear();
  for (const std::string& problem : script->Problems()) problems += problem + "\n";
  return problems.c_str();
}

extern "C" __attribute__((visibility("default"))) void qgu_answers_stop() {
  script.reset();
  application.reset();
}

#include "frontend/message_box.h"

#include <QMessageBox>
#include <QString>

namespace qgu::frontend {
namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kStop: return QMessageBox::Critical;
    case MessageIcon::kExclamation: return QMessageBox::Warning;
    case MessageIcon::kQuestion: return QMessageBox::Question;
    case MessageIcon::kInformation: return QMessageBox::Information;
    case MessageIcon::kNone: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::kYesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::kYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::kOk: break;
  }
  return QMessageBox::Ok;
}

MessageAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes: return MessageAnswer::kYes;
    case QMessageBox::No: return MessageAnswer::kNo;
    case QMessageBox::Cancel: return MessageAnswer::kCancel;
    default: return MessageAnswer::kOk;
  }
}

// A path is one long word: let the line break after each of its slashes
// (and inside a name longer than a line), so a message naming one stays
// narrower than the screen.
QString WithBreakablePaths(const QString& text) {
  constexpr int kLongestUnbroken = 40;
  constexpr QChar kBreakHere(0x200B);  // zero width, a place to break the line
  QString breakable;
  int run = 0;
  for (const QChar c : text) {
    if (run == kLongestUnbroken) {
      breakable += kBreakHere;
      run = 0;
    }
    breakable += c;
    run = c.isSpace() ? 0 : run + 1;
    if (c == '/' || c == '\\') {
      breakable += kBreakHere;
      run = 0;
    }
  }
  return breakable;
}

class QtMessageBoxes : public IMessageBoxes {
 public:
  MessageAnswer Show(QWidget* owner, const Message& message) override {
    return AnswerOf(MakeMessageBox(owner, message)->exec());
  }
};

QtMessageBoxes realBoxes;
IMessageBoxes* installedBoxes = &realBoxes;

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const Message& message) {
  return std::make_unique<QMessageBox>(QtIcon(message.icon), QString::fromStdString(message.title),
                                       WithBreakablePaths(QString::fromStdString(message.text)),
                                       QtButtons(message.buttons), owner);
}

IMessageBoxes& MessageBoxes() { return *installedBoxes; }

IMessageBoxes* SetMessageBoxes(IMessageBoxes* boxes) {
  IMessageBoxes* before = installedBoxes;
  installedBoxes = boxes != nullptr ? boxes : &realBoxes;
  return before;
}

MessageAnswer ShowMessage(QWidget* owner, std::string title, std::string text, MessageIcon icon,
                          MessageButtons buttons) {
  return MessageBoxes().Show(owner, Message{std::move(title), std::move(text), icon, buttons});
}

}  // namespace qgu::frontend

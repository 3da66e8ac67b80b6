#pragma once
// Every message box of both programs goes through this one small interface,
// so that tests can record each title, text and icon and answer its buttons.

#include <memory>
#include <string>

class QMessageBox;
class QWidget;

namespace qgu::frontend {

enum class MessageIcon { kNone, kStop, kExclamation, kQuestion, kInformation };
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageAnswer { kOk, kCancel, kYes, kNo };

struct Message {
  std::string title;
  std::string text;
  MessageIcon icon = MessageIcon::kStop;
  MessageButtons buttons = MessageButtons::kOk;
};

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  // Shows the message modally over owner (nullptr: no owner); returns the
  // button the user pressed.
  virtual MessageAnswer Show(QWidget* owner, const Message& message) = 0;
};

// The QMessageBox the process shows for a message (long paths in the text
// may break after a slash).
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const Message& message);

// The process's message boxes: QMessageBox, unless a test has installed others.
IMessageBoxes& MessageBoxes();
// Installs boxes (nullptr restores QMessageBox); returns the ones before.
IMessageBoxes* SetMessageBoxes(IMessageBoxes* boxes);

// Shorthand for MessageBoxes().Show(owner, {title, text, icon, buttons}).
MessageAnswer ShowMessage(QWidget* owner, std::string title, std::string text,
                          MessageIcon icon = MessageIcon::kStop, MessageButtons buttons = MessageButtons::kOk);

}  // namespace qgu::frontend

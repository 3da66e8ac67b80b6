#pragma once
// Message boxes for GUI tests: every message shown is recorded, and each is
// answered from a queue of scripted answers (OK or the first button when the
// queue is empty). Installed for the life of the object.

#include <deque>
#include <vector>

#include "frontend/message_box.h"

namespace qgu::testing {

class RecordedMessages : public frontend::IMessageBoxes {
 public:
  RecordedMessages() : before_(frontend::SetMessageBoxes(this)) {}
  ~RecordedMessages() override { frontend::SetMessageBoxes(before_); }
  RecordedMessages(const RecordedMessages&) = delete;
  RecordedMessages& operator=(const RecordedMessages&) = delete;

  // The answer to give to the next message that asks a question.
  void Answer(frontend::MessageAnswer answer) { answers_.push_back(answer); }

  frontend::MessageAnswer Show(QWidget* /*owner*/, const frontend::Message& message) override {
    shown_.push_back(message);
    if (!answers_.empty()) {
      const frontend::MessageAnswer answer = answers_.front();
      answers_.pop_front();
      return answer;
    }
    switch (message.buttons) {
      case frontend::MessageButtons::kYesNo:
      case frontend::MessageButtons::kYesNoCancel: return frontend::MessageAnswer::kYes;
      default: return frontend::MessageAnswer::kOk;
    }
  }

  const std::vector<frontend::Message>& Shown() const { return shown_; }
  void Clear() { shown_.clear(); }

 private:
  frontend::IMessageBoxes* before_;
  std::deque<frontend::MessageAnswer> answers_;
  std::vector<frontend::Message> shown_;
};

}  // namespace qgu::testing

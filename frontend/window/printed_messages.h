#pragma once
// Message boxes for runs nobody watches (qgu2 --exit-after-game from a
// script): each message goes to standard error as "qgu2: TITLE: TEXT" and is
// answered with its first button, so nothing waits for a person.

#include <cstdio>

#include "frontend/message_box.h"

namespace qgu::frontend {

class CPrintedMessages final : public IMessageBoxes {
 public:
  MessageAnswer Show(QWidget*, const Message& message) override {
    std::fprintf(stderr, "qgu2: %s: %s\n", message.title.c_str(), message.text.c_str());
    std::fflush(stderr);
    switch (message.buttons) {
      case MessageButtons::kYesNo:
      case MessageButtons::kYesNoCancel: return MessageAnswer::kYes;
      default: return MessageAnswer::kOk;
    }
  }
};

}  // namespace qgu::frontend

#pragma once
// The dialogs before a linked game. "Host Linked Game": the port to
// listen on (the recent ports), the nickname and the input delay (Automatic:
// chosen from the round trip once the other side has greeted; the host's
// choice holds for both sides); "Join Linked Game": the host and port (the
// recent hosts) and the nickname; "Watch Linked Game" asks what joining
// asks, from the same list. OK keeps the choice at the top of its list
// in the Netplay settings (at most 16 entries, no repeats) together with the
// nickname and the delay.

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "host/app_config.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace qgu::frontend {

// Puts entry first, dropping an equal one further down and what passes 16.
void RememberRecent(std::array<std::string, host::kRecentEntries>& list, int& count, const std::string& entry);

// "PORT" -> the port; "HOST:PORT" or "[V6]:PORT" -> both.
std::optional<uint16_t> ParsePortText(const std::string& text);
std::optional<std::pair<std::string, uint16_t>> ParseHostText(const std::string& text);

class CLinkDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kAddressBox = 1201;
  static constexpr int kNickNameEdit = 1202;
  static constexpr int kDelaySpin = 1203;  // the host's only
  static constexpr int kOkButton = 1;
  static constexpr int kCancelButton = 2;

  enum class Kind { kHost, kJoin, kWatch };  // watching asks what joining asks
  CLinkDlg(QWidget* parent, Kind kind, host::AppConfig::Netplay& netplay);

  uint16_t Port() const { return port_; }
  const std::string& HostName() const { return host_; }
  std::string NickName() const;
  // Frames, or host::kAutomaticDelay.
  int DelayFrames() const;

  void accept() override;

 private:
  Kind kind_;
  host::AppConfig::Netplay& netplay_;
  QComboBox* address_ = nullptr;
  QLineEdit* nickName_ = nullptr;
  QSpinBox* delay_ = nullptr;
  uint16_t port_ = 0;
  std::string host_;
};

}  // namespace qgu::frontend

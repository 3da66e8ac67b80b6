#include "frontend/window/link_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "frontend/message_box.h"
#include "host/netplay_greeting.h"

namespace qgu::frontend {
namespace {

static_assert(host::kMaxInputDelayFrames == host::kMaxLinkDelayFrames && host::kAutomaticDelay == 0);

std::optional<uint16_t> WholePort(const std::string& text) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const int port = std::stoi(text);
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(text.begin());
  return text;
}

}  // namespace

void RememberRecent(std::array<std::string, host::kRecentEntries>& list, int& count, const std::string& entry) {
  const int kept = std::clamp(count, 0, host::kRecentEntries);
  std::vector<std::string> entries{entry};
  for (int i = 0; i < kept; ++i) {
    if (list[static_cast<size_t>(i)] != entry && !list[static_cast<size_t>(i)].empty()) entries.push_back(list[static_cast<size_t>(i)]);
  }
  entries.resize(std::min(entries.size(), static_cast<size_t>(host::kRecentEntries)));
  list = {};
  std::copy(entries.begin(), entries.end(), list.begin());
  count = static_cast<int>(entries.size());
}

std::optional<uint16_t> ParsePortText(const std::string& text) { return WholePort(Trimmed(text)); }

std::optional<std::pair<std::string, uint16_t>> ParseHostText(const std::string& text) {
  const std::string trimmed = Trimmed(text);
  const size_t colon = trimmed.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::string host = trimmed.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const auto port = WholePort(trimmed.substr(colon + 1));
  if (!port || host.empty()) return std::nullopt;
  return std::pair{host, *port};
}

CLinkDlg::CLinkDlg(QWidget* parent, Kind kind, host::AppConfig::Netplay& netplay)
    : QDialog(parent), kind_(kind), netplay_(netplay) {
  setWindowTitle(kind == Kind::kHost ? "Host Linked Game" : kind == Kind::kJoin ? "Join Linked Game" : "Watch Linked Game");
  address_ = new QComboBox(this);
  address_->setObjectName(QString::number(kAddressBox));
  address_->setEditable(true);
  address_->setMinimumContentsLength(24);
  const auto& list = kind == Kind::kHost ? netplay.recentPorts : netplay.recentHosts;
  const int count = std::clamp(kind == Kind::kHost ? netplay.recentPortCount : netplay.recentHostCount, 0,
                               host::kRecentEntries);
  for (int i = 0; i < count; ++i) {
    if (!list[static_cast<size_t>(i)].empty()) address_->addItem(QString::fromStdString(list[static_cast<size_t>(i)]));
  }
  nickName_ = new QLineEdit(QString::fromStdString(netplay.nickName), this);
  nickName_->setObjectName(QString::number(kNickNameEdit));
  nickName_->setMaxLength(static_cast<int>(host::kMaxNickNameBytes));

  auto* form = new QFormLayout;
  form->addRow(kind == Kind::kHost ? "Port:" : "Host:Port:", address_);
  form->addRow("Nickname:", nickName_);
  if (kind == Kind::kHost) {
    delay_ = new QSpinBox(this);
    delay_->setObjectName(QString::number(kDelaySpin));
    delay_->setRange(host::kAutomaticDelay, host::kMaxLinkDelayFrames);
    delay_->setSpecialValueText("Automatic");  // shown for kAutomaticDelay
    delay_->setValue(std::clamp(netplay.inputDelay, host::kAutomaticDelay, host::kMaxLinkDelayFrames));
    delay_->setToolTip("Frames between a press and its effect on both sides. Automatic: from the round trip "
                       "measured when the other side greets (half of it and two frames to spare, at least 3).");
    form->addRow("Input delay (frames):", delay_);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QString::number(kOkButton));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QString::number(kCancelButton));
  connect(buttons, &QDialogButtonBox::accepted, this, &CLinkDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CLinkDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

std::string CLinkDlg::NickName() const { return host::CleanNickName(nickName_->text().toStdString()); }

int CLinkDlg::DelayFrames() const { return delay_ != nullptr ? delay_->value() : host::kAutomaticDelay; }

void CLinkDlg::accept() {
  const std::string text = Trimmed(address_->currentText().toStdString());
  if (kind_ == Kind::kHost) {
    const auto port = ParsePortText(text);
    if (!port) {
      ShowMessage(this, "QgUltra", "The port must be a whole number from 1 to 65535.");
      return;
    }
    port_ = *port;
    RememberRecent(netplay_.recentPorts, netplay_.recentPortCount, std::to_string(port_));
    netplay_.inputDelay = DelayFrames();
  } else {
    const auto endpoint = ParseHostText(text);
    if (!endpoint) {
      ShowMessage(this, "QgUltra", "Give the host as HOST:PORT, for example localhost:10000.");
      return;
    }
    host_ = endpoint->first;
    port_ = endpoint->second;
    RememberRecent(netplay_.recentHosts, netplay_.recentHostCount, text);
  }
  netplay_.nickName = NickName();
  QDialog::accept();
}

}  // namespace qgu::frontend

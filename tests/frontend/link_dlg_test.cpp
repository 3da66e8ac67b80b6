// The linked-game dialogs by control id: the recent ports and hosts listed,
// what is typed checked, OK keeping the choice first in its list of at most
// 16, with the nickname and the host's input delay.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include "frontend/window/link_dlg.h"
#include "host/netplay_greeting.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/recorded_messages.h"

namespace qgu::frontend {
namespace {

using qgu::testing::Control;

TEST(LinkDlg, RecentListsKeepTheLastSixteenWithoutRepeats) {
  std::array<std::string, host::kRecentEntries> list{};
  int count = 0;
  for (int i = 0; i < 20; ++i) RememberRecent(list, count, "host" + std::to_string(i) + ":1");
  EXPECT_EQ(count, 16);
  EXPECT_EQ(list[0], "host19:1");
  EXPECT_EQ(list[15], "host4:1");
  RememberRecent(list, count, "host10:1");
  EXPECT_EQ(count, 16);
  EXPECT_EQ(list[0], "host10:1");
  EXPECT_EQ(list[1], "host19:1");
  EXPECT_EQ(std::count(list.begin(), list.end(), "host10:1"), 1);
  int tooMany = 99;  // a hand-edited count reads no more than the list holds
  RememberRecent(list, tooMany, "x:2");
  EXPECT_EQ(tooMany, 16);

  EXPECT_EQ(ParseHostText(" localhost:10000 "), (std::pair<std::string, uint16_t>{"localhost", 10000}));
  EXPECT_EQ(ParseHostText("[::1]:2000"), (std::pair<std::string, uint16_t>{"::1", 2000}));
  for (const char* bad : {"localhost", ":10000", "host:0", "host:65536", "host:1x"}) {
    EXPECT_FALSE(ParseHostText(bad).has_value()) << bad;
  }
  EXPECT_EQ(ParsePortText("10000"), uint16_t{10000});
  EXPECT_FALSE(ParsePortText("70000").has_value());
}

TEST(LinkDlg, OkKeepsTheChoiceFirstAndRefusesWhatIsNotAnAddress) {
  qgu::testing::RecordedMessages messages;
  host::AppConfig::Netplay netplay;
  netplay.recentHostCount = 2;
  netplay.recentHosts[1] = "far.example:12000";
  CLinkDlg join(nullptr, CLinkDlg::Kind::kJoin, netplay);
  auto* address = Control<QComboBox>(&join, CLinkDlg::kAddressBox);
  ASSERT_NE(address, nullptr);
  ASSERT_EQ(address->count(), 2);
  EXPECT_EQ(address->itemText(0), "localhost:10000");
  EXPECT_EQ(Control<QLineEdit>(&join, CLinkDlg::kNickNameEdit)->text(), "NoName");

  address->setEditText("nowhere");
  join.accept();
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "QgUltra");
  EXPECT_EQ(join.result(), QDialog::Rejected);  // still open
  address->setEditText("far.example:12000");
  Control<QLineEdit>(&join, CLinkDlg::kNickNameEdit)->setText("  Ann ");
  join.accept();
  EXPECT_EQ(join.result(), QDialog::Accepted);
  EXPECT_EQ(join.HostName(), "far.example");
  EXPECT_EQ(join.Port(), 12000);
  EXPECT_EQ(netplay.recentHostCount, 2);
  EXPECT_EQ(netplay.recentHosts[0], "far.example:12000");
  EXPECT_EQ(netplay.recentHosts[1], "localhost:10000");
  EXPECT_EQ(netplay.nickName, "Ann");

  EXPECT_EQ(join.findChild<QSpinBox*>(), nullptr);  // the host chooses the delay for both

  CLinkDlg hosting(nullptr, CLinkDlg::Kind::kHost, netplay);
  auto* port = Control<QComboBox>(&hosting, CLinkDlg::kAddressBox);
  auto* delay = Control<QSpinBox>(&hosting, CLinkDlg::kDelaySpin);
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->text(), "Automatic");
  EXPECT_EQ(hosting.DelayFrames(), host::kAutomaticDelay);
  delay->setValue(99);
  EXPECT_EQ(delay->value(), host::kMaxLinkDelayFrames);
  delay->setValue(4);
  port->setEditText("65536");
  hosting.accept();
  EXPECT_EQ(messages.Shown().size(), 2u);
  EXPECT_EQ(netplay.inputDelay, 0);  // nothing kept from a refused choice
  port->setEditText("20000");
  hosting.accept();
  EXPECT_EQ(hosting.Port(), 20000);
  EXPECT_EQ(hosting.DelayFrames(), 4);
  EXPECT_EQ(netplay.inputDelay, 4);
  netplay.inputDelay = 40;  // a hand-edited setting: the most the spin box has
  CLinkDlg edited(nullptr, CLinkDlg::Kind::kHost, netplay);
  EXPECT_EQ(Control<QSpinBox>(&edited, CLinkDlg::kDelaySpin)->value(), host::kMaxLinkDelayFrames);
  EXPECT_EQ(netplay.recentPortCount, 2);
  EXPECT_EQ(netplay.recentPorts[0], "20000");
  EXPECT_EQ(netplay.recentPorts[1], "10000");
}

}  // namespace
}  // namespace qgu::frontend

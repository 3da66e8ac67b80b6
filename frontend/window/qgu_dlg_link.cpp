// The game window's linked games: the host chooses the game (its single game
// dialog) and waits for a side that plays it; the joining side takes the
// host's teams, quarter length, weather, controls and seed. The host plays
// home on its controller 1, the joining side away on its own controller 1.

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <cstdio>

#include "driver/random_source.h"
#include "frontend/message_box.h"
#include "frontend/window/game_session.h"
#include "frontend/window/link_dlg.h"
#include "frontend/window/qgu_dlg.h"
#include "host/linked_game.h"

namespace qgu::frontend {
namespace {

constexpr int kJoinTimeoutMs = 15000;

}  // namespace

bool CQguDlg::HostLinkedGame() {
  EndLinks();
  CLinkDlg choose(this, CLinkDlg::Kind::kHost, runtime_.Config().netplay);
  if (choose.exec() != QDialog::Accepted) return false;
  if (!SelectGame()) return false;
  if (!manager_.PrepareGame()) {
    SetStatus(QString::fromStdString(manager_.PrepareError()));
    return false;
  }
  const uint32_t seed = options_.seed.value_or(driver::TimeSeed());
  // "Rollback" in the Netplay settings: each side runs on with a guess of the other's input.
  const host::NetMode mode = runtime_.Config().netplay.rollback != 0 ? host::NetMode::kRollback : host::NetMode::kLockstep;
  const host::NetGreeting greeting{0, 0, seed, LinkedGameIdentity(manager_, selectedWeather_), mode};
  auto link = std::make_unique<host::CNetplayLink>();
  link->Start();
  auto spectators = std::make_unique<host::CSpectatorHost>(
      greeting, [](const std::string& line) { std::fprintf(stderr, "qgu2: %s\n", line.c_str()); });
  std::string peer;
  const std::string nick = choose.NickName();
  const league::Status met = WaitWithCancel(
      this, QString("Waiting for the other side on port %1 (every interface)...").arg(choose.Port()),
      [&](const std::atomic<bool>& cancelled) -> league::Status {
        host::HostOptions hosting;
        hosting.stopped = [&] { return cancelled.load(); };
        hosting.watchers = spectators.get();
        hosting.delayFrames = choose.DelayFrames();
        if (auto hosted = link->Host({"", choose.Port()}, greeting, hosting); !hosted) return hosted;
        if (auto sent = link->SendOffer({manager_.HomeTeam(), manager_.AwayTeam(), nick}); !sent) return sent;
        auto named = link->ReceiveNickName();
        if (!named) return league::Fail(named.error());
        peer = named.value();
        return {};
      });
  if (!met) {
    ShowMessage(this, kProgramTitle, "No linked game: " + met.error());
    return false;
  }
  spectators->Begin({manager_.HomeTeam(), manager_.AwayTeam(), nick}, peer);
  link->SetObserver(spectators.get());
  spectators_ = std::move(spectators);
  link_ = std::move(link);
  linkPeer_ = peer;
  return StartLinkedGame(seed, selectedWeather_);
}

bool CQguDlg::JoinLinkedGame() {
  EndLinks();
  CLinkDlg choose(this, CLinkDlg::Kind::kJoin, runtime_.Config().netplay);
  if (choose.exec() != QDialog::Accepted) return false;
  auto link = std::make_unique<host::CNetplayLink>();
  link->Start();
  host::NetGameOffer offer;
  const std::string nick = choose.NickName();
  const league::Status met = WaitWithCancel(
      this, QString::fromStdString("Joining " + choose.HostName() + ":" + std::to_string(choose.Port()) + "..."),
      [&](const std::atomic<bool>& cancelled) -> league::Status {
        const auto stopped = [&] { return cancelled.load(); };
        if (auto joined = link->Join(choose.HostName(), choose.Port(), std::nullopt, kJoinTimeoutMs, stopped); !joined) {
          return joined;
        }
        auto offered = link->ReceiveOffer();
        if (!offered) return league::Fail(offered.error());
        offer = std::move(offered).value();
        return link->SendNickName(nick);
      });
  if (!met) {
    ShowMessage(this, kProgramTitle, "No linked game: " + met.error());
    return false;
  }
  // The host's teams stay out of this side's league.
  for (auto [file, record] : {std::pair{&linkedRecords_[0], &offer.home}, std::pair{&linkedRecords_[1], &offer.away}}) {
    if (auto kept = file->Write(*record); !kept) {
      ShowMessage(this, kProgramTitle, "No linked game: " + kept.error());
      return false;
    }
  }
  const host::GameIdentity& game = link->Greeting().game;
  manager_.SetHomePath(linkedRecords_[0].Path());
  manager_.SetAwayPath(linkedRecords_[1].Path());
  manager_.SetQuarterLength(game.quarterMinutes);
  manager_.SetControls(game.controlByte >> 4, game.controlByte & 15);
  if (!manager_.PrepareGame()) {
    ShowMessage(this, kProgramTitle, "No linked game: " + manager_.PrepareError());
    return false;
  }
  if (const std::string differs = host::DescribeGameDifference(LinkedGameIdentity(manager_, game.weather), game); !differs.empty()) {
    ShowMessage(this, kProgramTitle, "No linked game: the host's game came out different here: " + differs);
    return false;
  }
  const uint32_t seed = link->SharedSeed();
  link_ = std::move(link);
  linkPeer_ = offer.nickName;
  return StartLinkedGame(seed, game.weather);
}

void CQguDlg::LinkNotice(const std::string& text) {
  if (!session_ || !session_->Running()) return;  // stopped here: the other side is told by the link
  if (GameLink()->Connected()) {
    ShowMessage(this, kProgramTitle, text);  // not about the link
    return;
  }
  // Once the game is over each side shows its summary, whatever the link does.
  if (linkBootDone_ && session_->Thread().DriverHoldsInput()) return;
  StopGame();
  const std::string reason = GameLink()->CloseReason();
  const std::string peer = linkPeer_;
  Stop();
  ShowMessage(this, kProgramTitle, "The link with " + peer + " has closed (" + reason + "). The game has ended.");
}

void CQguDlg::CheckLinkedState() {
  // Both called on the emulator thread; the read-out tells of a resync as it happens.
  host::StateCheckOptions checking;
  checking.resynced = [window = QPointer<CQguDlg>(this)](const std::string& text) {
    std::fprintf(stderr, "qgu2: %s\n", text.c_str());
    QMetaObject::invokeMethod(
        window.data(), [window, text] {
          if (window) window->SetStatus(QString::fromStdString(text));
        },
        Qt::QueuedConnection);
  };
  checking.failed = [window = QPointer<CQguDlg>(this)](const std::string& error) {
    QMetaObject::invokeMethod(
        window.data(), [window, error] {
          if (window && window->link_) window->LinkNotice(error);
        },
        Qt::QueuedConnection);
  };
  checking.lateWatchers = lateWatchers_.get();
  session_->Thread().SetFrameMonitor(
      host::ThreadStateChecks(session_->Thread(), session_->Machine(), *link_, std::move(checking)));
}

bool CQguDlg::StartLinkedGame(uint32_t seed, int weather) {
  linkBootDone_ = false;
  link_->SetPeerName(linkPeer_);
  manager_.SetRandom(std::make_unique<driver::CSeededRandom>(seed));
  ApplyWeather(static_cast<driver::Weather>(weather));
  SetStatus(QString::fromStdString("Linked with " + linkPeer_));
  if (StartSingleGame()) return true;
  EndLinks();
  return false;
}

}  // namespace qgu::frontend

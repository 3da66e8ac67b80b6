// The game window watching a linked game: it takes the host's teams (kept
// out of this side's league), quarter length, weather, controls and seed,
// and frame for frame the input both players use, so it shows the game as
// they play it; this side's controllers count for nothing.

#include <QString>
#include <cstdio>
#include <optional>

#include "driver/random_source.h"
#include "frontend/message_box.h"
#include "frontend/window/game_session.h"
#include "frontend/window/link_dlg.h"
#include "frontend/window/qgu_dlg.h"
#include "host/linked_game.h"

namespace qgu::frontend {
namespace {

constexpr int kWatchConnectMs = 15000;

}  // namespace

host::IFrameInputLink* CQguDlg::GameLink() const {
  if (link_) return link_.get();
  return watchLink_.get();
}

void CQguDlg::EndLinks() {
  link_.reset();  // before the watchers it tells
  lateWatchers_.reset();
  spectators_.reset();
  watchLink_.reset();
  watchJoin_.reset();
}

bool CQguDlg::PrepareLinkedStart(driver::DriverGame& game, int64_t& firstFrame) {
  lateWatchers_.reset();
  if (spectators_) {
    lateWatchers_ = std::make_unique<host::CLateWatchers>(*spectators_);
    lateWatchers_->Attach(game, manager_);
  }
  if (!watchLink_ || !watchJoin_) return true;
  const auto taken = host::TakeUpGameUnderWay(*watchJoin_, session_->Machine(), manager_, game);
  if (!taken) {
    ShowMessage(this, kProgramTitle, "Nothing to watch: " + taken.error());
    return false;
  }
  std::fprintf(stderr, "qgu2: watching %s v %s %s\n", linkPeer_.c_str(), watchPlayer_.c_str(), taken.value().c_str());
  firstFrame = watchJoin_->frame;
  return true;
}

bool CQguDlg::WatchLinkedGame() {
  EndLinks();
  CLinkDlg choose(this, CLinkDlg::Kind::kWatch, runtime_.Config().netplay);
  if (choose.exec() != QDialog::Accepted) return false;
  auto link = std::make_unique<host::CWatchLink>();
  std::optional<host::WatchedGame> watched;
  const std::string where = choose.HostName() + ":" + std::to_string(choose.Port());
  const std::string nick = choose.NickName();
  const league::Status met = WaitWithCancel(
      this, QString::fromStdString("Waiting for the game at " + where + " to begin..."),
      [&](const std::atomic<bool>& cancelled) -> league::Status {
        auto game = link->Watch(choose.HostName(), choose.Port(), nick, [&] { return cancelled.load(); }, kWatchConnectMs);
        if (!game) return league::Fail(game.error());
        watched = std::move(game).value();
        return {};
      });
  if (!met) {
    ShowMessage(this, kProgramTitle, "Nothing to watch: " + met.error());
    return false;
  }
  for (auto [file, record] : {std::pair{&linkedRecords_[0], &watched->game.home}, std::pair{&linkedRecords_[1], &watched->game.away}}) {
    if (auto kept = file->Write(*record); !kept) {
      ShowMessage(this, kProgramTitle, "Nothing to watch: " + kept.error());
      return false;
    }
  }
  const host::GameIdentity& game = watched->greeting.game;
  manager_.SetHomePath(linkedRecords_[0].Path());
  manager_.SetAwayPath(linkedRecords_[1].Path());
  manager_.SetQuarterLength(game.quarterMinutes);
  manager_.SetControls(game.controlByte >> 4, game.controlByte & 15);
  if (!manager_.PrepareGame()) {
    ShowMessage(this, kProgramTitle, "Nothing to watch: " + manager_.PrepareError());
    return false;
  }
  if (const std::string differs = host::DescribeGameDifference(LinkedGameIdentity(manager_, game.weather), game); !differs.empty()) {
    ShowMessage(this, kProgramTitle, "Nothing to watch: the host's game came out different here: " + differs);
    return false;
  }
  watchLink_ = std::move(link);
  watchJoin_ = std::move(watched->joined);
  watchPlayer_ = watched->playerNickName;
  linkPeer_ = watched->game.nickName;
  linkBootDone_ = false;
  manager_.SetRandom(std::make_unique<driver::CSeededRandom>(watched->greeting.seed));
  ApplyWeather(static_cast<driver::Weather>(game.weather));
  SetStatus(QString::fromStdString("Watching " + watched->game.nickName + " v " + watched->playerNickName));
  if (StartSingleGame()) return true;
  EndLinks();
  return false;
}

}  // namespace qgu::frontend

#include "driver/stats_capture.h"

#include "driver/cartridge_memory.h"
#include "driver/team_stats.h"

namespace qgu::driver {
namespace {

struct RawBlocks {
  std::string home;
  std::string away;
};

RawBlocks ReadRawBlocks(IDriverConsole& console, IDriverUi& ui) {
  RawBlocks raw;
  try {
    console.WithMemory([&raw](IConsoleMemory& memory) {
      raw.home = ReadRawStats(memory, cartmem::kHomeStatsBlock);
      raw.away = ReadRawStats(memory, cartmem::kAwayStatsBlock);
    });
  } catch (const GameStopped&) {
    throw;
  } catch (...) {
    ui.ShowMessage(kStatsMessageTitle, kCompileStatsFailedMessage);
    raw = {};
  }
  return raw;
}

}  // namespace

void CaptureStatistics(IDriverConsole& console, IDriverUi& ui, const league::TeamRecord& homeTeam,
                       const league::TeamRecord& awayTeam) {
  const RawBlocks raw = ReadRawBlocks(console, ui);
  if (raw.home.empty() || raw.away.empty()) return;

  console.SetDriverHoldsInput(true);
  ui.RefreshMainWindow();
  ui.StopSound();

  try {
    GameSummary summary;
    console.WithMemory([&summary](IConsoleMemory& memory) {
      summary.homeScore = ReadFinalScoreText(memory, cartmem::kHomePeriodScores);
      summary.awayScore = ReadFinalScoreText(memory, cartmem::kAwayPeriodScores);
    });
    summary.homeStats = DecodeTeamStats(homeTeam, raw.home);
    summary.awayStats = DecodeTeamStats(awayTeam, raw.away);
    ui.StageChanged(DriverStage::kShowingSummary);
    ui.ShowSummary(summary);
  } catch (const GameStopped&) {
    throw;
  } catch (...) {
    ui.ShowMessage(kStatsMessageTitle, kProcessStatsFailedMessage);
  }
}

}  // namespace qgu::driver

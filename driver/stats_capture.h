#pragma once
// The end of a game: the two statistics blocks from battery RAM, the players'
// names from the team record files, the final scores from the period bytes,
// and the summary shown with them.

#include <string>
#include <string_view>

#include "driver/driver_host.h"
#include "driver/game_summary.h"
#include "league/team_record.h"

namespace qgu::driver {

inline constexpr std::string_view kStatsMessageTitle = "Quozi Gridcrown ULTRA";
inline constexpr std::string_view kCompileStatsFailedMessage = "Error compiling stats";
inline constexpr std::string_view kProcessStatsFailedMessage = "Exception while processing game stats !";

// The whole capture: reads the raw blocks (a failure shows
// kCompileStatsFailedMessage and ends without a summary), takes the input
// back, repaints, stops the sound, decodes and shows the summary (a failure
// there shows kProcessStatsFailedMessage). GameStopped passes through.
void CaptureStatistics(IDriverConsole& console, IDriverUi& ui, const league::TeamRecord& homeTeam,
                       const league::TeamRecord& awayTeam);

}  // namespace qgu::driver

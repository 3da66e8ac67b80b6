#pragma once
// A season as text for people (tables) and for programs (JSON), and as one
// self-contained web page. Everything is worked out from the journal, in a
// fixed order, so equal journals give byte-identical output.

#include <string>

#include "season/season.h"

namespace qgu::season {

std::string ScheduleText(const Season& season);
std::string ScheduleJson(const Season& season);

std::string StandingsText(const Season& season);
std::string StandingsJson(const Season& season);

std::string LeadersText(const Season& season);
std::string LeadersJson(const Season& season);

std::string BracketText(const Season& season);
std::string BracketJson(const Season& season);

// Standings, results week by week with each game's box score, leaders and
// the bracket; styles inline, no scripts, nothing fetched.
std::string ReportHtml(const Season& season);

// "W-L-T".
std::string RecordText(const WinLossTie& record);

}  // namespace qgu::season

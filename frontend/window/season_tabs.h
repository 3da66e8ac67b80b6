#pragma once
// The season window's four tables, filled from an open season: the schedule
// week by week with results, the standings per division, the leaders and the
// playoff bracket with its champion. Every figure comes from the season
// library; these only lay them out.

#include <QString>

#include "season/season.h"

class QTreeWidget;

namespace qgu::frontend {

// Item data of a schedule row: the game's id (0 on week rows).
inline constexpr int kGameIdRole = 0x0100;  // Qt::UserRole

void FillSchedule(QTreeWidget* tree, const season::Season& season);
void FillStandings(QTreeWidget* tree, const season::Season& season);
void FillLeaders(QTreeWidget* tree, const season::Season& season);
// Returns the champion line ("Champion: ..." or why there is none yet).
QString FillPlayoffs(QTreeWidget* tree, const season::Season& season);

// "CITY NICKNAME" of a team index.
QString TeamName(const season::Season& season, int team);

}  // namespace qgu::frontend

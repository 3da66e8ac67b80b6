#include "frontend/window/season_tabs.h"

#include <QFont>
#include <QHeaderView>
#include <QTreeWidget>
#include <cstdio>

namespace qgu::frontend {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString Record(const season::WinLossTie& record) {
  return QString("%1-%2-%3").arg(record.wins).arg(record.losses).arg(record.ties);
}

QString Percentage(const season::WinLossTie& record) {
  char text[16];
  std::snprintf(text, sizeof text, "%.3f", record.Percentage());
  return text;
}

QString Value(double value) {
  if (value == static_cast<double>(static_cast<long long>(value))) return QString::number(static_cast<long long>(value));
  return QString::number(value, 'f', 1);
}

void SetHeader(QTreeWidget* tree, const QStringList& labels) {
  tree->clear();
  tree->setColumnCount(static_cast<int>(labels.size()));
  tree->setHeaderLabels(labels);
  tree->setRootIsDecorated(false);
  tree->setUniformRowHeights(true);
  // Right-aligned figures stay beside their columns.
  tree->header()->setStretchLastSection(false);
}

QTreeWidgetItem* Heading(QTreeWidget* tree, const QString& text) {
  auto* item = new QTreeWidgetItem(tree, {text});
  QFont bold = item->font(0);
  bold.setBold(true);
  item->setFont(0, bold);
  item->setFirstColumnSpanned(true);
  return item;
}

void Finish(QTreeWidget* tree) {
  tree->expandAll();
  for (int column = 0; column < tree->columnCount(); ++column) tree->resizeColumnToContents(column);
}

QString ResultText(const season::GameRecord& result) {
  return QString("%1 - %2").arg(result.awayScore).arg(result.homeScore);
}

}  // namespace

QString TeamName(const season::Season& season, int team) {
  const auto& teams = season.definition.teams;
  if (team < 0 || static_cast<size_t>(team) >= teams.size()) return "?";
  return Text(teams[static_cast<size_t>(team)].name);
}

void FillSchedule(QTreeWidget* tree, const season::Season& season) {
  SetHeader(tree, {"Game", "Away", "Home", "Score (away - home)", ""});
  for (const season::WeekView& week : season::Schedule(season)) {
    QTreeWidgetItem* heading = Heading(tree, Text(week.title));
    heading->setData(0, kGameIdRole, 0);
    for (const season::GameView& view : week.games) {
      auto* row = new QTreeWidgetItem(heading);
      row->setText(0, QString::number(view.game.id));
      row->setText(1, TeamName(season, view.game.away));
      row->setText(2, TeamName(season, view.game.home));
      row->setText(3, view.result ? ResultText(*view.result) : QString());
      row->setText(4, view.userGame ? "yours" : "");
      row->setData(0, kGameIdRole, view.game.id);
      if (view.result) row->setToolTip(3, "Double-click for the box score");
    }
  }
  Finish(tree);
}

void FillStandings(QTreeWidget* tree, const season::Season& season) {
  SetHeader(tree, {"Team", "W-L-T", "Pct", "PF", "PA", "Diff", "Home", "Away", "Div", "Conf", "Streak", "Last 5",
                   "Ahead of next by"});
  for (const season::StandingsGroup& group : season::Standings(season)) {
    QString title = "League";
    if (!group.division.empty()) {
      title = group.conference.empty() ? Text(group.division) : Text(group.conference + " / " + group.division);
    }
    QTreeWidgetItem* heading = Heading(tree, title);
    for (const season::StandingRow& row : group.rows) {
      auto* item = new QTreeWidgetItem(heading);
      item->setText(0, TeamName(season, row.team));
      item->setText(1, Record(row.record));
      item->setText(2, Percentage(row.record));
      item->setText(3, QString::number(row.pointsFor));
      item->setText(4, QString::number(row.pointsAgainst));
      item->setText(5, QString::number(row.pointsFor - row.pointsAgainst));
      item->setText(6, Record(row.home));
      item->setText(7, Record(row.away));
      item->setText(8, Record(row.division));
      item->setText(9, Record(row.conference));
      item->setText(10, Text(row.streak));
      item->setText(11, Text(row.lastFive));
      item->setText(12, Text(row.tieBreakOverNext));
    }
  }
  Finish(tree);
}

void FillLeaders(QTreeWidget* tree, const season::Season& season) {
  const season::Leaders leaders = season::SeasonLeaders(season);
  int columns = 0;
  for (const season::LeaderTable& table : leaders.tables) columns = std::max(columns, static_cast<int>(table.columns.size()));
  QStringList labels{"Player", "Team"};
  for (int column = 0; column < columns; ++column) labels << "";
  SetHeader(tree, labels);
  for (const season::LeaderTable& table : leaders.tables) {
    QTreeWidgetItem* heading = Heading(tree, Text(table.title));
    // The table's own column names on a row of their own, under the heading.
    auto* names = new QTreeWidgetItem(heading);
    for (size_t column = 0; column < table.columns.size(); ++column) {
      names->setText(static_cast<int>(column) + 2, Text(table.columns[column]));
      names->setTextAlignment(static_cast<int>(column) + 2, Qt::AlignRight);
    }
    for (const season::LeaderRow& row : table.rows) {
      auto* item = new QTreeWidgetItem(heading);
      item->setText(0, Text(row.name));
      item->setText(1, TeamName(season, row.team));
      for (size_t column = 0; column < row.values.size(); ++column) {
        item->setText(static_cast<int>(column) + 2, Value(row.values[column]));
        item->setTextAlignment(static_cast<int>(column) + 2, Qt::AlignRight);
      }
    }
  }
  Finish(tree);
}

QString FillPlayoffs(QTreeWidget* tree, const season::Season& season) {
  SetHeader(tree, {"Game", "Away", "Home", "Score (away - home)", "Winner"});
  if (season.definition.playoffTeams == 0) return "This season has no playoffs.";
  const season::Bracket bracket = season::SeasonBracket(season);
  if (bracket.seeds.empty()) return "Champion: not yet known (the playoffs start after the regular season)";

  std::vector<int> seedOf(season.definition.teams.size(), 0);
  for (const season::PlayoffSeed& seed : bracket.seeds) {
    if (seed.team >= 0 && static_cast<size_t>(seed.team) < seedOf.size()) seedOf[static_cast<size_t>(seed.team)] = seed.seed;
  }
  auto seeded = [&](const std::optional<int>& team) {
    if (!team) return QString("to be decided");
    return QString("(%1) %2").arg(seedOf[static_cast<size_t>(*team)]).arg(TeamName(season, *team));
  };

  QTreeWidgetItem* seeds = Heading(tree, "Seeds");
  for (const season::PlayoffSeed& seed : bracket.seeds) {
    auto* item = new QTreeWidgetItem(seeds);
    item->setText(0, QString::number(seed.seed));
    item->setText(1, TeamName(season, seed.team) + (seed.divisionWinner ? "  (division winner)" : ""));
  }
  for (int round = 1; round <= bracket.rounds; ++round) {
    QTreeWidgetItem* heading = Heading(tree, round == bracket.rounds ? QString("Final") : QString("Round %1").arg(round));
    if (round == 1) {
      for (int team : bracket.byes) {
        auto* bye = new QTreeWidgetItem(heading);
        bye->setText(1, seeded(team) + "  (bye)");
      }
    }
    for (const season::BracketGame& game : bracket.games) {
      if (game.round != round) continue;
      auto* item = new QTreeWidgetItem(heading);
      item->setText(0, QString::number(game.id));
      item->setText(1, seeded(game.away));
      item->setText(2, seeded(game.home));
      if (game.result) item->setText(3, ResultText(*game.result));
      if (game.winner) item->setText(4, TeamName(season, *game.winner) + (game.decidedBy.empty() ? "" : "  *"));
      item->setData(0, kGameIdRole, game.result ? game.id : 0);
    }
  }
  auto* rule = new QTreeWidgetItem(tree, {"* " + Text(bracket.tieRule)});
  rule->setFirstColumnSpanned(true);
  Finish(tree);
  if (bracket.champion) return "Champion: " + TeamName(season, *bracket.champion);
  return "Champion: not yet decided";
}

}  // namespace qgu::frontend

// The end-of-game report: the rich text of its banner, names and scores byte
// for byte, the box score's sections (qualifying players, sort order, empty
// cells, figures) and row colours, and the dialog showing all of it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <map>

#include "driver/box_score.h"
#include "league/team_stats.h"
#include "tests/support/gui_test_support.h"
#include "toolserver/eog_report.h"
#include "toolserver/eog_report_dlg.h"
#include "toolserver/game_report_json.h"

namespace qgu::toolserver {

void PrintTo(const BoxScoreRow& row, std::ostream* out) { *out << "[" << row.home << "] [" << row.away << "]"; }

namespace {

using testing::Control;

// A team statistics string: 25 records of team|name|27 counters|; entries
// not given are unnamed players with nothing recorded.
std::string Statistics(const std::string& team, const std::map<int, ReportEntry>& entries) {
  std::string text;
  for (int e = 0; e < kReportEntries; ++e) {
    const auto found = entries.find(e);
    const ReportEntry entry = found != entries.end() ? found->second : ReportEntry{"p" + std::to_string(e), {}};
    text += team + "|" + entry.name + "|";
    for (const int32_t counter : entry.counters) text += std::to_string(counter) + "|";
  }
  return text;
}

ReportEntry Player(std::string name, std::map<int, int32_t> counters) {
  ReportEntry entry{std::move(name), {}};
  for (const auto& [slot, value] : counters) entry.counters[static_cast<size_t>(slot)] = value;
  return entry;
}

// Counter slots used below.
enum : int { kAtt = 0, kCmp = 1, kPassTd = 2, kInt = 3, kPassYds = 4, kRush = 5, kRushYds = 6, kRushTd = 7 };
enum : int { kRec = 8, kRecYds = 9, kDefInt = 17, kIntYds = 18, kSacks = 20, kPunts = 25, kPuntYds = 26 };

const std::string kHome = Statistics(
    "HAWKS", {{0, Player("amosBRANDT", {{kAtt, 20}, {kCmp, 10}, {kPassYds, 150}, {kPassTd, 1}, {kInt, 1}})},
              {2, Player("ivoKELLERMANNSTONE", {{kRush, 2}, {kRushYds, 9}})},
              {6, Player("jo", {{kRec, 4}, {kRecYds, 60}})},
              {7, Player("lu", {{kRec, 3}, {kRecYds, 60}, {kRush, 0}})},
              {14, Player("max", {{kSacks, 2}})},
              {23, Player("kip", {})},
              {24, Player("pat", {})}});
const std::string kAway = Statistics(
    "OWLS", {{2, Player("rb1", {{kRush, 5}, {kRushYds, 12}})},
             {3, Player("rb2", {{kRush, 4}, {kRushYds, 30}, {kRushTd, 1}})},
             {4, Player("rb3", {{kRush, 1}, {kRushYds, -3}})},
             {13, Player("cb", {{kDefInt, 1}, {kIntYds, 25}})},
             {24, Player("pun", {{kPunts, 4}, {kPuntYds, 170}})}});

// The rows of one section between its column header and the empty row after it.
std::vector<BoxScoreRow> SectionRows(const std::vector<BoxScoreRow>& rows, const std::string& title) {
  std::vector<BoxScoreRow> section;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].home != title) continue;
    for (size_t i = r + 2; i < rows.size() && !(rows[i].home.empty() && rows[i].away.empty()); ++i) {
      section.push_back(rows[i]);
    }
  }
  return section;
}

TEST(ReportText, BannerNamesAndScoresAreWrittenByteForByte) {
  const ReportDocuments documents = MakeReportDocuments("HAWKS", "OWLS", "24", "7");
  const std::string fonts = R"({\fonttbl{\f0 Arial;}{\f1 Monotype Corsiva;}{\f2 Microsoft Sans Serif;}})";
  const std::string colours =
      R"({\colortbl\red0\green0\blue0;\red255\green0\blue0;\red0\green255\blue0;\red0\green0\blue255;)"
      R"(\red255\green255\blue255;\red255\green255\blue0;})";
  const std::string head = R"({\rtf1\ansi\ansicpg1252\deff0\deftab720)";
  EXPECT_EQ(documents.banner,
            head + R"({\fonttbl{\f0 Arial;}{\f1 Monotype Corsiva;}})"
                   R"({\colortbl\red0\green0\blue0;\red255\green0\blue0;\red0\green255\blue0;\red0\green0\blue255;)"
                   R"(\red255\green255\blue255;})"
                   R"(\plain\ul\f1\fs50\cb0\cf4 QUOZI GRIDCROWN ULTRA NEWS})");
  EXPECT_EQ(documents.homeName, head + fonts + colours + R"(\plain\f2\fs35\cb0\cf5 HAWKS})");
  EXPECT_EQ(documents.awayName, head + fonts + colours + R"(\plain\f2\fs35\cb0\cf5 OWLS})");
  EXPECT_EQ(documents.homeScore, head + fonts + colours + R"(\plain\f2\fs35\cb0\cf4 24})");
  EXPECT_EQ(documents.awayScore, head + fonts + colours + R"(\plain\f2\fs35\cb0\cf4 7})");

  // A line end becomes a paragraph; RTF's own characters cannot break the document.
  EXPECT_EQ(MakeReportDocuments("A\nB", "{x}\\", "", "").homeName.substr(head.size() + fonts.size() + colours.size()),
            "\\plain\\f2\\fs35\\cb0\\cf5 A\r\n\\par B}");
  EXPECT_NE(MakeReportDocuments("A", "{x}\\", "", "").awayName.find(R"(\{x\}\\})"), std::string::npos);
}

TEST(BoxScore, SectionsListQualifyingPlayersSortedWithEmptyCellsAndTheirFigures) {
  const std::vector<BoxScoreRow> rows = BoxScoreRows(ParseReportSide(kHome), ParseReportSide(kAway));
  // 10 completions in 20 attempts for 150 yards, 1 touchdown, 1 interception: rating 70.8.
  EXPECT_EQ(SectionRows(rows, "PASSING"),
            (std::vector<BoxScoreRow>{{"amosBRANDT        10  20  150   1   1 70.8", ""}}));
  // The longer name shifts its figures; the other side's extra rows leave the home column empty.
  EXPECT_EQ(SectionRows(rows, "RUSHING"),
            (std::vector<BoxScoreRow>{{"ivoKELLERMANNSTONE   2   9  4.5   0", "rb2                4  30  7.5   1"},
                                      {"", "rb1                5  12  2.4   0"},
                                      {"", "rb3                1  -3 -3.0   0"}}));
  // Equal yards keep entry order.
  EXPECT_EQ(SectionRows(rows, "RECEIVING"),
            (std::vector<BoxScoreRow>{{"jo                 4  60 15.0   0", ""}, {"lu                 3  60 20.0   0", ""}}));
  EXPECT_TRUE(SectionRows(rows, "KICKOFF RETURNS").empty());
  // The kicker and the punter always get their row, even with nothing to show.
  EXPECT_EQ(SectionRows(rows, "KICKING"),
            (std::vector<BoxScoreRow>{{"kip                0   0   0   0", "p23                0   0   0   0"}}));
  EXPECT_EQ(SectionRows(rows, "PUNTING"),
            (std::vector<BoxScoreRow>{{"pat                0  0.0", "pun                4 42.5"}}));
  EXPECT_EQ(SectionRows(rows, "SACKS"), (std::vector<BoxScoreRow>{{"max                2", ""}}));
  EXPECT_EQ(SectionRows(rows, "INTERCEPTIONS"),
            (std::vector<BoxScoreRow>{{"", "cb                 1  25 25.0   0"}}));

  // Titles in order, DEFENSE between two pairs of empty rows after punting.
  std::vector<std::string> titles;
  for (const BoxScoreRow& row : rows) {
    if (StyleOfRow(row.home, 0) == RowStyle::kSectionTitle || StyleOfRow(row.home, 0) == RowStyle::kDefense) {
      titles.push_back(row.home);
    }
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"PASSING", "RUSHING", "RECEIVING", "KICKOFF RETURNS", "PUNT RETURNS",
                                              "KICKING", "PUNTING", "DEFENSE", "SACKS", "INTERCEPTIONS"}));
  const auto defense = std::find_if(rows.begin(), rows.end(), [](const BoxScoreRow& r) { return r.home == "DEFENSE"; });
  ASSERT_NE(defense, rows.end());
  for (int offset : {-2, -1, 1, 2}) EXPECT_TRUE((defense + offset)->home.empty() && (defense + offset)->away.empty());
  EXPECT_EQ((defense - 3)->home, "pat                0  0.0");
  EXPECT_TRUE(rows.back().home.empty() && rows.back().away.empty());

  // A statistics text cut short reads as empty names and zeros.
  const ReportSide cut = ParseReportSide("HAWKS|amosBRANDT|3|");
  EXPECT_EQ(cut.team, "HAWKS");
  EXPECT_EQ(cut.entries[0].counters[0], 3);
  EXPECT_EQ(cut.entries[1].name, "");
}

TEST(BoxScore, RowColoursFollowTheFirstColumnsText) {
  const struct {
    const char* text;
    int row;
    RowColours colours;
  } cases[] = {
      {"PASSING", 0, {0xFFFFFF, 0x6B524A}},
      {"kickoff returns", 3, {0xFFFFFF, 0x6B524A}},
      {"                 SCK", 1, {0x000000, 0xC0C0C0}},
      {"DEFENSE", 7, {0xFFFFFF, 0x0C0F7C}},
      {"amosBRANDT        10", 3, {0x000000, 0xFFFFFF}},
      {"", 4, {0x000000, 0xF7F7F7}},
  };
  for (const auto& c : cases) {
    const RowColours colours = ColoursOf(StyleOfRow(c.text, c.row));
    EXPECT_EQ(colours.text, c.colours.text) << c.text;
    EXPECT_EQ(colours.background, c.colours.background) << c.text;
  }
}

TEST(EogReportDialog, ShowsTheRichTextAndTheColouredBoxScore) {
  CEogReportDlg dialog(kHome, kAway, "24", "7");
  const auto text = [&](int id) { return Control<QTextEdit>(&dialog, id)->toPlainText().toStdString(); };
  EXPECT_EQ(text(CEogReportDlg::kBanner), "QUOZI GRIDCROWN ULTRA NEWS");
  EXPECT_EQ(text(CEogReportDlg::kHomeName), "HAWKS");
  EXPECT_EQ(text(CEogReportDlg::kAwayName), "OWLS");
  EXPECT_EQ(text(CEogReportDlg::kHomeScore), "24");
  EXPECT_EQ(text(CEogReportDlg::kAwayScore), "7");
  const QTextCharFormat banner =
      Control<QTextEdit>(&dialog, CEogReportDlg::kBanner)->document()->begin().begin().fragment().charFormat();
  EXPECT_TRUE(banner.fontUnderline());
  EXPECT_EQ(banner.fontPointSize(), 25.0);
  EXPECT_EQ(banner.foreground().color(), QColor(255, 255, 255));
  const QTextCharFormat name =
      Control<QTextEdit>(&dialog, CEogReportDlg::kHomeName)->document()->begin().begin().fragment().charFormat();
  EXPECT_EQ(name.foreground().color(), QColor(255, 255, 0));

  auto* list = Control<QTableWidget>(&dialog, CEogReportDlg::kBoxScoreList);
  const std::vector<BoxScoreRow> rows = BoxScoreRows(ParseReportSide(kHome), ParseReportSide(kAway));
  ASSERT_EQ(list->rowCount(), static_cast<int>(rows.size()));
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "HAWKS");
  EXPECT_EQ(list->horizontalHeaderItem(2)->text(), "OWLS");
  for (int r = 0; r < list->rowCount(); ++r) {
    const RowColours colours = ColoursOf(StyleOfRow(rows[static_cast<size_t>(r)].home, r));
    EXPECT_EQ(list->item(r, 0)->text().toStdString(), rows[static_cast<size_t>(r)].home);
    EXPECT_EQ(list->item(r, 2)->background().color(), ToQColor(colours.background)) << r;
    EXPECT_EQ(list->item(r, 2)->foreground().color(), ToQColor(colours.text)) << r;
    EXPECT_EQ(list->item(r, 1)->background().color(), QColor(255, 255, 255)) << r;
  }
  // Once laid out, home and away share the list's width beside the narrow spacer.
  dialog.show();
  QApplication::processEvents();
  const int half = (list->viewport()->width() - 4) / 2;
  EXPECT_GT(half, 200);
  EXPECT_EQ(list->columnWidth(0), half);
  EXPECT_EQ(list->columnWidth(1), 4);
  EXPECT_EQ(list->columnWidth(2), half);
}

// What qgu2 --headless --json prints is what the report of that game is made from.
TEST(GameReportJson, ReadsBackTheStatisticsAndScoresAHeadlessGamePrints) {
  league::TeamStatLines home{}, away{};
  for (league::StatLine& line : home) line.team = "HAWKS";
  for (league::StatLine& line : away) line.team = "OWLS \"Q\"";
  home[0].name = "BRANDT";
  home[0].counters[0] = 20;
  away[3].name = "back\\slash";
  const driver::GameSummary game{league::FormatTeamStats(home), league::FormatTeamStats(away), "24", "7"};
  const auto texts = ReadGameReportJson(driver::BoxScoreJson(game));
  ASSERT_TRUE(texts.ok()) << texts.error();
  EXPECT_EQ(texts.value().homeStats, game.homeStats);
  EXPECT_EQ(texts.value().awayStats, game.awayStats);
  EXPECT_EQ(texts.value().homeScore, "24");
  EXPECT_EQ(texts.value().awayScore, "7");

  const auto noGame = ReadGameReportJson("{\"home\": {\"team\": \"HAWKS\", \"score\": 24}}");
  ASSERT_FALSE(noGame.ok());
  EXPECT_EQ(noGame.error(), "no game of qgu2 --headless --json (no \"statistics\" of home and away)");
  EXPECT_FALSE(ReadGameReportJson("HAWKS 24").ok());
}

}  // namespace
}  // namespace qgu::toolserver

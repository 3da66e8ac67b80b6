#include "dynasty/dynasty_report.h"

#include "dynasty/record_book.h"
#include "season/season_text.h"

namespace qgu::dynasty {
namespace {

std::string Escape(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return out;
}

constexpr const char* kStyle = R"(
body{font-family:Verdana,Arial,sans-serif;margin:0;background:#f4f1ea;color:#1d1d1d}
header{background:#3d5a3a;color:#fff;padding:18px 28px}
header h1{margin:0;font-size:26px;letter-spacing:1px}
header p{margin:4px 0 0;font-size:13px;opacity:.85}
nav{background:#263823;padding:6px 28px}
nav a{color:#ffd75e;margin-right:14px;font-size:13px;text-decoration:none}
main{padding:10px 28px 40px}
h2{border-bottom:3px solid #3d5a3a;padding-bottom:4px;margin-top:30px}
table{border-collapse:collapse;margin:8px 0 18px;font-size:13px}
th,td{padding:3px 10px;border-bottom:1px solid #d8d2c4;text-align:left}
th{background:#e6e0d2}
td.n{text-align:right}
.cols{display:flex;flex-wrap:wrap;gap:28px}
)";

std::string Row(std::initializer_list<std::string> cells, int numbersFrom = 99) {
  std::string out = "<tr>";
  size_t i = 0;
  for (const std::string& c : cells) out += (i++ >= static_cast<size_t>(numbersFrom) ? "<td class=n>" : "<td>") + Escape(c) + "</td>";
  return out + "</tr>\n";
}

std::string Entry(const BookEntry& e, bool withYear) {
  if (e.value == 0) return "";
  return e.name + ", " + e.team + (withYear ? ", year " + std::to_string(e.year) : "");
}

std::string IndexPage(const Dynasty& dynasty, const RecordBook& book) {
  const DynastyDefinition& d = dynasty.definition;
  std::string out = "<!DOCTYPE html>\n<html lang=en><head><meta charset=utf-8><title>" + Escape(d.name) +
                    "</title><style>" + kStyle + "</style></head><body>\n<header><h1>" + Escape(d.name) +
                    "</h1><p>A dynasty of " + Escape(d.sourceLeague) + ", " + std::to_string(book.years.size()) +
                    " seasons</p></header>\n<nav>";
  for (const YearInBook& y : book.years) {
    out += "<a href=\"year-" + std::to_string(y.year) + ".html\">" + std::to_string(y.year) + "</a>";
  }
  out += "</nav>\n<main>\n<h2>Champions</h2>\n<table><tr><th>Year</th><th>Champion</th><th>Runner-up</th></tr>\n";
  for (const YearInBook& y : book.years) {
    out += Row({std::to_string(y.year), y.champion.empty() ? "under way" : y.champion, y.runnerUp});
  }
  out += "</table>\n<h2>Franchises</h2>\n<table><tr><th>Team</th><th>W</th><th>L</th><th>T</th><th>Titles</th>"
         "<th>Finals</th><th>Playoffs</th></tr>\n";
  for (const Franchise& f : book.franchises) {
    out += Row({f.name, std::to_string(f.record.wins), std::to_string(f.record.losses), std::to_string(f.record.ties),
                std::to_string(f.titles), std::to_string(f.finals), std::to_string(f.playoffs)},
               1);
  }
  out += "</table>\n<h2>Career leaders</h2>\n<div class=cols>\n";
  for (size_t k = 0; k < kBookCategories.size(); ++k) {
    out += "<div><h3>" + Escape(kBookCategories[k].title) + "</h3><table>\n";
    for (const BookEntry& e : book.careerLeaders[k]) out += Row({e.name, e.team, std::to_string(e.value)}, 2);
    out += "</table></div>\n";
  }
  out += "</div>\n<h2>Records</h2>\n<table><tr><th>Statistic</th><th>Season</th><th></th><th>Game</th><th></th></tr>\n";
  for (size_t k = 0; k < kBookCategories.size(); ++k) {
    const BookEntry& s = book.seasonRecords[k];
    const BookEntry& g = book.gameRecords[k];
    out += Row({std::string(kBookCategories[k].title), std::to_string(s.value), Entry(s, true), std::to_string(g.value),
                Entry(g, true)});
  }
  out += "</table>\n</main></body></html>\n";
  return out;
}

}  // namespace

base::Result<std::vector<ReportPage>> DynastyReport(const Dynasty& dynasty) {
  base::Result<RecordBook> book = MakeRecordBook(dynasty);
  if (!book) return base::Fail(book.error());
  std::vector<ReportPage> pages{{"index.html", IndexPage(dynasty, book.value())}};
  for (const YearInBook& y : book.value().years) {
    base::Result<season::Season> s = season::OpenSeason(dynasty.folder, dynasty.SeasonName(y.year));
    if (!s) return base::Fail(s.error());
    pages.push_back({"year-" + std::to_string(y.year) + ".html", season::ReportHtml(s.value())});
  }
  return pages;
}

}  // namespace qgu::dynasty

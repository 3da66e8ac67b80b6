// The game report JSON that `qghelper report --json` reads: any bytes must
// be taken or refused without a crash; what is taken must build the whole
// report (both sides read, every box score row, the rich-text documents), and
// the same four texts written out as such a game read back unchanged.

#include <QJsonDocument>
#include <QJsonObject>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolserver/eog_report.h"
#include "toolserver/game_report_json.h"

namespace {

using namespace qgu::toolserver;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

QJsonObject Side(const std::string& statistics, const std::string& score) {
  QJsonObject side;
  side["statistics"] = QString::fromStdString(statistics);
  side["score"] = QString::fromStdString(score);
  return side;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxGameReportJsonBytes) return 0;
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  const qgu::base::Result<GameReportTexts> game = ReadGameReportJson(json);
  if (!game) {
    Check(!game.error().empty());
    return 0;
  }
  const GameReportTexts& texts = game.value();
  const ReportSide home = ParseReportSide(texts.homeStats);
  const ReportSide away = ParseReportSide(texts.awayStats);
  const std::vector<BoxScoreRow> rows = BoxScoreRows(home, away);
  // Nine sections of at most twelve lines each with their title, header and spacing rows.
  Check(!rows.empty() && rows.size() <= 9 * (12 + 3) + 5);
  for (const BoxScoreRow& row : rows) (void)StyleOfRow(row.home, 0);
  const ReportDocuments documents = MakeReportDocuments(home.team, away.team, texts.homeScore, texts.awayScore);
  Check(documents.banner.starts_with("{\\rtf1"));

  QJsonObject written;
  written["home"] = Side(texts.homeStats, texts.homeScore);
  written["away"] = Side(texts.awayStats, texts.awayScore);
  const QByteArray again = QJsonDocument(written).toJson(QJsonDocument::Compact);
  const qgu::base::Result<GameReportTexts> reread = ReadGameReportJson(std::string_view(again.constData(), again.size()));
  Check(reread.ok());
  Check(reread.value().homeStats == texts.homeStats && reread.value().awayStats == texts.awayStats);
  Check(reread.value().homeScore == texts.homeScore && reread.value().awayScore == texts.awayScore);
  return 0;
}

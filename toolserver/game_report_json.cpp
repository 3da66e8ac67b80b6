#include "toolserver/game_report_json.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace qgu::toolserver {
namespace {

// A score is a number, or a text when the game wrote one that is not.
std::string Text(const QJsonObject& side, const char* key) {
  const QJsonValue value = side.value(key);
  return (value.isDouble() ? QString::number(value.toInt()) : value.toString()).toStdString();
}

}  // namespace

base::Result<GameReportTexts> ReadGameReportJson(std::string_view json) {
  QJsonParseError error;
  const QJsonDocument game =
      QJsonDocument::fromJson(QByteArray(json.data(), static_cast<qsizetype>(json.size())), &error);
  if (game.isNull()) return base::Fail("no JSON (" + error.errorString().toStdString() + ")");
  const QJsonObject home = game.object().value("home").toObject();
  const QJsonObject away = game.object().value("away").toObject();
  if (!home.value("statistics").isString() || !away.value("statistics").isString()) {
    return base::Fail("no game of qgu2 --headless --json (no \"statistics\" of home and away)");
  }
  return GameReportTexts{Text(home, "statistics"), Text(away, "statistics"), Text(home, "score"),
                         Text(away, "score")};
}

}  // namespace qgu::toolserver

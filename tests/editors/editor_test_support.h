#pragma once
// Helpers for the team editing tests: team files in a scratch league, the
// controls' shown texts, and acting on the modal dialog a click opens.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

#include "league/team_record_format.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/temp_folder.h"

namespace qgu::testing {

// Writes a team record file as the editors write them and returns its path.
inline std::filesystem::path WriteTeam(const std::filesystem::path& folder, const std::string& name,
                                       const league::TeamRecord& team) {
  const std::filesystem::path path = folder / name;
  WriteBytes(path, league::FormatTeamRecord(team).value());
  return path;
}

inline void Click(const QWidget* dialog, int id) { Control<QAbstractButton>(dialog, id)->click(); }

// The text a label, value box or edit shows.
inline std::string Shown(const QWidget* dialog, int id) {
  if (auto* label = Control<QLabel>(dialog, id)) return label->text().toStdString();
  if (auto* edit = Control<QLineEdit>(dialog, id)) return edit->text().toStdString();
  if (auto* button = Control<QAbstractButton>(dialog, id)) return button->text().toStdString();
  return "(no control " + std::to_string(id) + ")";
}

// Replaces an edit's text by typing.
inline void Type(const QWidget* dialog, int id, const QString& text) {
  auto* edit = Control<QLineEdit>(dialog, id);
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

// Runs `act` on the next modal dialog once it is open; the caller then
// clicks what opens it. `act` must close the dialog.
inline void OnNextModal(std::function<void(QWidget*)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    poll->stop();
    poll->deleteLater();
    act(modal);
  });
  poll->start(0);
}

}  // namespace qgu::testing

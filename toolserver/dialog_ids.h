#pragma once
// Every control of the tool server's dialogs carries its id as object name
// ("1038"), so tests and scripts find it by the id the dialog gives it.

#include <QString>
#include <QWidget>

namespace qgu::toolserver {

inline void SetControlId(QWidget* control, int id) { control->setObjectName(QString::number(id)); }

}  // namespace qgu::toolserver

#include "toolserver/helper_about_dlg.h"

#include <QVBoxLayout>

#include "frontend/text_rain_ctrl.h"
#include "toolserver/dialog_ids.h"

namespace qgu::toolserver {

CHelperAboutDlg::CHelperAboutDlg(QWidget* owner) : QDialog(owner) {
  setWindowTitle("About.... Quozi Gridcrown Ultra");
  auto* rain = new frontend::CTextRainCtrl(this);
  SetControlId(rain, kTextRain);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(rain);
  resize(400, 300);
}

}  // namespace qgu::toolserver

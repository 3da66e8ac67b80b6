#include "frontend/window/window_driver_ui.h"

#include <QMetaObject>

#include "frontend/window/qgu_dlg.h"

namespace qgu::frontend {

CWindowDriverUi::CWindowDriverUi(CQguDlg& window) : window_(&window) {}

void CWindowDriverUi::ShowStatus(const std::string& text) {
  QMetaObject::invokeMethod(
      window_.data(), [window = window_, text = QString::fromStdString(text)] {
        if (window) window->ShowDriverStatus(text);
      },
      Qt::QueuedConnection);
}

void CWindowDriverUi::HideStatus() {
  QMetaObject::invokeMethod(
      window_.data(), [window = window_] {
        if (window) window->EndBoot();
      },
      Qt::QueuedConnection);
}

void CWindowDriverUi::RefreshMainWindow() {
  QMetaObject::invokeMethod(
      window_.data(), [window = window_] {
        if (window) window->update();
      },
      Qt::QueuedConnection);
}

void CWindowDriverUi::ShowSummary(const driver::GameSummary& summary) {
  if (window_) window_->ShowSummary(summary);
}

void CWindowDriverUi::ShowMessage(std::string_view title, std::string_view text) {
  if (window_) window_->ShowDriverMessage(std::string(title), std::string(text));
}

}  // namespace qgu::frontend

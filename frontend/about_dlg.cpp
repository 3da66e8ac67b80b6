#include "frontend/about_dlg.h"

#include <QLabel>
#include <QVBoxLayout>

#include "frontend/credits_ctrl.h"
#include "qgu_version.h"

namespace qgu::frontend {
namespace {

constexpr int kStarSpeed = 30;
constexpr int kScrollStep = 5;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* owner) : QDialog(owner), credits_(new CCreditsCtrl(this)) {
  setObjectName("100");
  setWindowTitle("About... Quozi Gridcrown ULTRA");
  credits_->setObjectName(QString::number(kCreditsControl));
  credits_->SetStarSpeed(kStarSpeed);
  credits_->SetScrollStep(kScrollStep);
  for (const QString& line : CreditLines()) credits_->AddLine(line);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(credits_);
  // The crawl keeps its own title line; the release of this build stands below it.
  auto* release = new QLabel(ReleaseText(), this);
  release->setObjectName("release");
  release->setAlignment(Qt::AlignCenter);
  release->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(release);
  resize(520, 390);
}

QString CAboutDlg::ReleaseText() { return QStringLiteral("Release " QGU_VERSION); }

// The people named are the program's own invention.
QStringList CAboutDlg::CreditLines() {
  return {"Quozi Gridcrown ULTRA 0.75b",
          "",
          "Programmed by...",
          "",
          "Orrin Vashtel",
          "",
          "Thanks to...",
          "",
          "Melka Durrance",
          "and",
          "Tobiah Quillfeather",
          "",
          "Greets to...",
          "",
          "Sabel Ronquist",
          "Pim Aldergrove",
          "Yusra Kettlewell",
          "Dovan Morrikey",
          "Ilse Barrowmere",
          "Cato Ferngast",
          "Rue Tallowby",
          "Wendeline Oakhurst",
          "Fitch Marrowdale",
          "and",
          "the Gridiron Lantern Club"};
}

}  // namespace qgu::frontend

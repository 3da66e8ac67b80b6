#include "frontend/helmet_picture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QString>
#include <algorithm>

namespace qgu::frontend {
namespace {

// The drawing is laid out on a 160 x 120 grid and scaled to the size asked for.
constexpr qreal kGridWidth = 160.0;
constexpr qreal kGridHeight = 120.0;

QColor Nes(const NesColourLookup& colourOf, int index) { return QColor::fromRgb(colourOf(index & 0x3F)); }

// A darker edge for any colour, so that a black or a very dark shell still
// shows its outline against the black background.
QColor EdgeOf(const QColor& colour) { return colour.lightness() < 60 ? QColor(110, 110, 110) : colour.darker(220); }

QPainterPath ShellPath() {
  QPainterPath shell;
  shell.moveTo(26, 100);
  shell.cubicTo(6, 62, 28, 14, 84, 13);
  shell.cubicTo(124, 12, 144, 38, 141, 63);
  shell.lineTo(119, 64);
  shell.lineTo(113, 84);
  shell.cubicTo(105, 94, 96, 99, 84, 100);
  shell.closeSubpath();
  return shell;
}

QPainterPath CrownLine() {
  QPainterPath crown;
  crown.moveTo(36, 92);
  crown.cubicTo(22, 50, 50, 25, 84, 25);
  crown.cubicTo(110, 25, 128, 38, 134, 60);
  return crown;
}

void DrawShell(QPainter& painter, const QColor& shellColour) {
  const QPainterPath shell = ShellPath();
  painter.setPen(QPen(EdgeOf(shellColour), 2.5));
  painter.setBrush(shellColour);
  painter.drawPath(shell);

  // A soft highlight across the dome.
  QPainterPath shine;
  shine.moveTo(40, 52);
  shine.cubicTo(46, 30, 64, 22, 86, 21);
  painter.setPen(QPen(QColor(255, 255, 255, 90), 5, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(shine);
}

void DrawStripe(QPainter& painter, const QColor& stripeColour, const QColor& edgeColour) {
  painter.save();
  painter.setClipPath(ShellPath());
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(edgeColour, 13, Qt::SolidLine, Qt::FlatCap));
  painter.drawPath(CrownLine());
  painter.setPen(QPen(stripeColour, 8, Qt::SolidLine, Qt::FlatCap));
  painter.drawPath(CrownLine());
  painter.restore();
}

void DrawBadge(QPainter& painter, const QColor& badgeColour, const QColor& letterColour, const QString& letter) {
  const QRectF badge(52, 44, 32, 32);
  painter.setPen(QPen(EdgeOf(badgeColour), 2));
  painter.setBrush(badgeColour);
  painter.drawEllipse(badge);
  if (letter.isEmpty()) return;
  QFont font("DejaVu Sans");
  font.setPixelSize(24);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(letterColour == badgeColour ? EdgeOf(badgeColour) : letterColour);
  painter.drawText(badge, Qt::AlignCenter, letter);
}

void DrawEarHole(QPainter& painter, const QColor& shellColour) {
  painter.setPen(QPen(EdgeOf(shellColour), 1.5));
  painter.setBrush(EdgeOf(shellColour));
  painter.drawEllipse(QPointF(92, 80), 5, 5);
}

void DrawFaceMask(QPainter& painter, const QColor& maskColour) {
  QPainterPath mask;
  mask.moveTo(119, 68);
  mask.lineTo(150, 68);
  mask.moveTo(114, 82);
  mask.lineTo(150, 82);
  mask.moveTo(108, 94);
  mask.lineTo(144, 94);
  mask.moveTo(150, 62);
  mask.cubicTo(154, 74, 153, 88, 144, 96);
  mask.moveTo(132, 64);
  mask.lineTo(130, 95);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(EdgeOf(maskColour), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(mask);
  painter.setPen(QPen(maskColour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(mask);
}

}  // namespace

QImage DrawHelmetPicture(const league::TeamHeader& team, const NesColourLookup& colourOf, QSize size) {
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(Qt::black);
  if (size.isEmpty()) return picture;

  const QColor shell = Nes(colourOf, team.primaryPantsColour);
  const QColor stripe = Nes(colourOf, team.primaryJerseyColour);
  const QColor mask = Nes(colourOf, team.secondaryPantsColour);
  const QColor badge = Nes(colourOf, team.secondaryJerseyColour);
  const QString letter = QString::fromStdString(team.abbreviation).left(1).toUpper();

  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size.width() / kGridWidth, size.height() / kGridHeight);
  DrawShell(painter, shell);
  DrawStripe(painter, stripe, badge);
  DrawBadge(painter, badge, stripe, letter);
  DrawEarHole(painter, shell);
  DrawFaceMask(painter, mask);
  return picture;
}

std::filesystem::path HelmetPicturePath(const std::filesystem::path& teamRecordPath) {
  const std::string text = teamRecordPath.string();
  return text.substr(0, text.size() - std::min<size_t>(3, text.size())) + "bmp";
}

league::Status WriteHelmetPicture(const std::filesystem::path& teamRecordPath, const league::TeamHeader& team,
                                  const NesColourLookup& colourOf) {
  const std::filesystem::path target = HelmetPicturePath(teamRecordPath);
  QSaveFile file(QString::fromStdString(target.string()));
  if (!file.open(QIODevice::WriteOnly) || !DrawHelmetPicture(team, colourOf).save(&file, "BMP") || !file.commit()) {
    return league::Fail("unable to write the helmet picture " + target.string() + ": " +
                        file.errorString().toStdString());
  }
  return {};
}

}  // namespace qgu::frontend

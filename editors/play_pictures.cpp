#include "editors/play_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

#include "editors/uniform_preview.h"
#include "frontend/picture_button/picture_resources.h"

namespace qgu::editors {
namespace {

// Board geometry: the offence moves up the picture.
constexpr double kLineOfScrimmage = 44;
constexpr double kLineY = 47;       // the linemen's row
constexpr double kMiddle = 25;
constexpr double kDeep = 7;         // where deep routes end
constexpr double kRunEnd = 17;      // where a runner's arrow ends
constexpr std::array<double, 5> kLinemenX = {13, 19, 25, 31, 37};

constexpr QRgb kBoard = 0x1E5A2A;
constexpr QRgb kBoardEdge = 0x7FB08A;
constexpr QRgb kYardLine = 0x2C6E38;
constexpr QRgb kScrimmage = 0xB8D8BE;
constexpr QRgb kChalk = 0xF4F4F4;
constexpr QRgb kHighlight = 0xFFE040;
constexpr QRgb kBall = 0xFF9A3C;
constexpr QRgb kPlayerEdge = 0x102814;

struct Spot {
  Role role;
  double x;
  double y;
};

constexpr double kUnderCentre = 52;
constexpr double kShotgunDepth = 60;

// Where each formation puts the quarterback, backs and receivers.
std::span<const Spot> SpotsOf(Formation formation) {
  using enum Role;
  static constexpr Spot kT[] = {{kQB, 25, kUnderCentre}, {kFB, 25, 59}, {kHB, 33, 64}, {kLeftHB, 17, 64},
                                {kY, 43, 47}, {kX, 5, 47}};
  static constexpr Spot kPro[] = {{kQB, 25, kUnderCentre}, {kHB, 19, 60}, {kFB, 31, 60},
                                  {kY, 43, 47}, {kX, 5, 47}, {kZ, 46, 53}};
  static constexpr Spot kI[] = {{kQB, 25, kUnderCentre}, {kFB, 25, 59}, {kHB, 25, 66},
                                {kY, 43, 47}, {kX, 5, 47}, {kZ, 46, 53}};
  static constexpr Spot kWing[] = {{kQB, 25, kUnderCentre}, {kFB, 25, 59}, {kHB, 25, 66},
                                   {kY, 45, 52}, {kX, 5, 47}};
  static constexpr Spot kOffset[] = {{kQB, 25, kUnderCentre}, {kFB, 32, 59}, {kHB, 25, 66},
                                     {kY, 43, 47}, {kX, 5, 47}, {kZ, 46, 53}};
  static constexpr Spot kSlotR[] = {{kQB, 25, kUnderCentre}, {kHB, 19, 60}, {kFB, 31, 60},
                                    {kX, 5, 47}, {kZ, 42, 53}};
  static constexpr Spot kOneBack[] = {{kQB, 25, kUnderCentre}, {kHB, 25, 62}, {kX, 4, 47},
                                      {kSlotLeft, 10, 53}, {kY, 43, 47}, {kZ, 46, 53}};
  static constexpr Spot kRunShoot[] = {{kQB, 25, kUnderCentre}, {kHB, 25, 62}, {kX, 4, 47},
                                       {kSlotLeft, 10, 53}, {kSlotRight, 40, 53}, {kZ, 46, 47}};
  static constexpr Spot kShotgun[] = {{kQB, 25, kShotgunDepth}, {kHB, 31, 61}, {kX, 5, 47},
                                      {kY, 43, 47}, {kZ, 46, 53}};
  static constexpr Spot kRedgun[] = {{kQB, 25, kShotgunDepth}, {kHB, 31, 61}, {kFB, 19, 61},
                                     {kX, 5, 47}, {kY, 43, 47}, {kZ, 46, 53}};
  static constexpr Spot kNoBack[] = {{kQB, 25, kShotgunDepth}, {kX, 4, 47}, {kSlotLeft, 10, 53},
                                     {kSlotRight, 38, 54}, {kY, 43, 47}, {kZ, 47, 53}};
  switch (formation) {
    case Formation::kT: return kT;
    case Formation::kProSet: return kPro;
    case Formation::kIFormation: return kI;
    case Formation::kWingTE: return kWing;
    case Formation::kOffset: return kOffset;
    case Formation::kSlotRightSet: return kSlotR;
    case Formation::kSlotLeftSet:
    case Formation::kOneBack: return kOneBack;
    case Formation::kRunShoot: return kRunShoot;
    case Formation::kShotgun: return kShotgun;
    case Formation::kRedgun: return kRedgun;
    case Formation::kNoBack: return kNoBack;
  }
  return kPro;
}

std::optional<QPointF> SpotOf(Formation formation, Role role) {
  for (const Spot& spot : SpotsOf(formation)) {
    if (spot.role == role) return QPointF(spot.x, spot.y);
  }
  return std::nullopt;
}

double Clamp(double x) { return std::clamp(x, 3.0, 46.0); }

// -1 toward the left sideline, +1 toward the right.
double SignOf(Side side, QPointF start) {
  if (side == Side::kLeft) return -1;
  if (side == Side::kRight) return 1;
  return start.x() < kMiddle ? -1 : 1;
}

// The way a player runs, as points from where he stands.
QPolygonF PathPoints(QPointF s, const Route& route) {
  const double out = SignOf(route.side, s);  // toward his own sideline (or the named side)
  const double in = -out;
  const double x = s.x();
  switch (route.path) {
    case Path::kDive: return {s, {kMiddle + 3 * out, kLineOfScrimmage}, {kMiddle + 3 * out, kRunEnd}};
    case Path::kOffTackle: return {s, {kMiddle + 15 * out, kLineOfScrimmage}, {kMiddle + 17 * out, kRunEnd}};
    case Path::kSweep: return {s, {kMiddle + 19 * out, s.y() - 2}, {Clamp(kMiddle + 21 * out), kRunEnd + 4}};
    case Path::kCounter:
      return {s, {x - 5 * out, s.y() + 2}, {kMiddle + 10 * out, kLineOfScrimmage}, {kMiddle + 12 * out, kRunEnd}};
    case Path::kReverse:
      return {s, {x, 56}, {kMiddle + 18 * out, 58}, {Clamp(kMiddle + 21 * out), kRunEnd + 4}};
    case Path::kSneak: return {s, {x, 36}};
    case Path::kDraw: return {s, {x, s.y() + 3}, {x, kLineOfScrimmage}, {x, kRunEnd + 2}};
    case Path::kLead: return {s, {kMiddle + 13 * out, kLineOfScrimmage - 3}};
    case Path::kFake: return {s, {x + 6 * out, s.y() - 5}};
    case Path::kFly: return {s, {x, kDeep}};
    case Path::kPost: return {s, {x, 26}, {x + 14 * in, kDeep}};
    case Path::kCorner: return {s, {x, 26}, {Clamp(x + 10 * out), 12}};
    case Path::kOut: return {s, {x, 28}, {Clamp(x + 10 * out), 28}};
    case Path::kIn: return {s, {x, 27}, {x + 17 * in, 27}};
    case Path::kCurl: return {s, {x, 25}, {x + 3 * in, 29}};
    case Path::kSlant: return {s, {x, 41}, {x + 13 * in, 27}};
    case Path::kDrive: return {s, {x, 35}, {x + 26 * in, 31}};
    case Path::kDrag: return {s, {x, 40}, {x + 22 * in, 39}};
    case Path::kOutAndUp: return {s, {x, 31}, {Clamp(x + 4 * out), 31}, {Clamp(x + 4 * out), kDeep}};
    case Path::kFlare: return {s, {Clamp(x + 12 * out), s.y() - 4}, {Clamp(x + 16 * out), s.y() - 14}};
    case Path::kScreen: return {s, {Clamp(x + 15 * out), s.y() + 1}, {Clamp(x + 17 * out), s.y() - 10}};
  }
  return {s};
}

void DrawArrowHead(QPainter& painter, QPointF from, QPointF to, QColor colour) {
  const double dx = to.x() - from.x();
  const double dy = to.y() - from.y();
  const double length = std::hypot(dx, dy);
  if (length < 0.5) return;
  const QPointF unit(dx / length, dy / length);
  const QPointF normal(-unit.y(), unit.x());
  const QPolygonF head = {to + unit * 1.5, to - unit * 3 + normal * 2.2, to - unit * 3 - normal * 2.2};
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(head);
}

void DrawPath(QPainter& painter, const QPolygonF& points, QColor colour, double width, bool dashed = false) {
  if (points.size() < 2) return;
  QPen pen(colour, width, dashed ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  if (dashed) pen.setDashPattern({1.5, 1.5});
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(points);
  if (!dashed) DrawArrowHead(painter, points[points.size() - 2], points.back(), colour);
}

void DrawBoard(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Square corners cut off by hand, so no blended pixel touches the key colour.
  const QRect board(1, 1, kPlayPictureWidth - 2, kPlayPictureHeight - 2);
  painter.fillRect(board.adjusted(1, 0, -1, 0), QColor(kBoardEdge));
  painter.fillRect(board.adjusted(0, 1, 0, -1), QColor(kBoardEdge));
  painter.fillRect(board.adjusted(1, 1, -1, -1), QColor(kBoard));
  for (int y = 14; y < kPlayPictureHeight - 2; y += 10) {
    painter.fillRect(QRect(3, y, kPlayPictureWidth - 6, 1), QColor(kYardLine));
  }
  painter.fillRect(QRect(3, static_cast<int>(kLineOfScrimmage), kPlayPictureWidth - 6, 1), QColor(kScrimmage));
}

void DrawPlayers(QPainter& painter, const PlaySketch& sketch) {
  painter.setPen(QPen(QColor(kPlayerEdge), 0.8));
  painter.setBrush(QColor(kChalk));
  for (double x : kLinemenX) painter.drawRect(QRectF(x - 2, kLineY - 2, 4, 4));
  for (const Spot& spot : SpotsOf(sketch.formation)) {
    painter.setBrush(QColor(spot.role == sketch.carrier ? kHighlight : kChalk));
    painter.drawEllipse(QPointF(spot.x, spot.y), 2.3, 2.3);
  }
}

// Dashes for the ball: handoff or pitch to the runner, a pass to the
// target's break, the flea-flicker's trip to the back and back again.
void DrawBall(QPainter& painter, const PlaySketch& sketch, QPointF qbEnd, const QPolygonF& carrierPath) {
  const std::optional<QPointF> qb = SpotOf(sketch.formation, Role::kQB);
  if (!qb || carrierPath.isEmpty()) return;
  const QColor ball(kBall);
  switch (sketch.ball) {
    case BallPlay::kKeep:
      return;
    case BallPlay::kHandoff:
    case BallPlay::kDrawHandoff:
      DrawPath(painter, {qbEnd, carrierPath[0]}, ball, 1, true);
      return;
    case BallPlay::kPitch:
    case BallPlay::kReverseHandoff:
      DrawPath(painter, {qbEnd, carrierPath[std::min<qsizetype>(1, carrierPath.size() - 1)]}, ball, 1, true);
      return;
    case BallPlay::kFleaFlicker:
      if (std::optional<QPointF> back = SpotOf(sketch.formation, Role::kHB)) {
        DrawPath(painter, {*qb, *back + QPointF(0, -4), qbEnd}, ball, 1, true);
      }
      break;
    default:
      break;
  }
  // Passes go to where the route ends or, for deep routes, to its last turn.
  const QPointF target = carrierPath.size() > 2 ? carrierPath[carrierPath.size() - 1] : carrierPath.back();
  DrawPath(painter, {qbEnd, target}, ball, 1, true);
}

// The quarterback's own steps before the ball leaves him.
QPolygonF QuarterbackPath(QPointF qb, BallPlay ball) {
  switch (ball) {
    case BallPlay::kDropBack:
    case BallPlay::kPlayAction:
    case BallPlay::kFleaFlicker: return {qb, qb + QPointF(0, qb.y() > 56 ? 3 : 7)};
    case BallPlay::kRollRight: return {qb, qb + QPointF(13, 6)};
    case BallPlay::kRollLeft: return {qb, qb + QPointF(-13, 6)};
    case BallPlay::kBootRight: return {qb, qb + QPointF(-3, 3), qb + QPointF(11, 7)};
    case BallPlay::kBootLeft: return {qb, qb + QPointF(3, 3), qb + QPointF(-11, 7)};
    case BallPlay::kDrawHandoff: return {qb, qb + QPointF(0, 4)};
    default: return {qb};
  }
}

}  // namespace

QImage DrawPlayPicture(const PlaySketch& sketch) {
  QImage image(kPlayPictureWidth, kPlayPictureHeight, QImage::Format_RGB32);
  image.fill(QColor(kPlayPictureKeyColour));
  QPainter painter(&image);
  DrawBoard(painter);
  painter.setRenderHint(QPainter::Antialiasing, true);

  QPolygonF carrierPath;
  for (const Route& route : sketch.routes) {
    if (route.role == Role::kNone) continue;
    const std::optional<QPointF> start = SpotOf(sketch.formation, route.role);
    if (!start) continue;
    const QPolygonF points = PathPoints(*start, route);
    if (route.role == sketch.carrier && carrierPath.isEmpty()) {
      carrierPath = points;
      continue;
    }
    DrawPath(painter, points, QColor(kChalk), 0.9, route.path == Path::kFake);
  }
  QPointF qbEnd;
  if (std::optional<QPointF> qb = SpotOf(sketch.formation, Role::kQB)) {
    const QPolygonF steps = QuarterbackPath(*qb, sketch.ball);
    DrawPath(painter, steps, QColor(kChalk), 0.9);
    qbEnd = steps.back();
  }
  DrawBall(painter, sketch, qbEnd, carrierPath);
  DrawPath(painter, carrierPath, QColor(kHighlight), 1.4);
  DrawPlayers(painter, sketch);
  painter.end();
  return image;
}

void RegisterEditorPictures() {
  static const bool registered = [] {
    for (PlayKind kind : {PlayKind::kRun, PlayKind::kPass}) {
      for (const PlayEntry& play : PlayTable(kind)) {
        toolserver::RegisterPicture(play.pictureId, [sketch = play.sketch] { return DrawPlayPicture(sketch); });
      }
    }
    toolserver::RegisterPicture(kPlayerFigureId, PlayerFigure);
    return true;
  }();
  (void)registered;
}

QImage PlayPicture(int pictureId) {
  if (!PlayByPictureId(pictureId)) return {};
  RegisterEditorPictures();
  return toolserver::PictureById(pictureId);
}

}  // namespace qgu::editors

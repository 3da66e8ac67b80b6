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
                                {kY, 42, 47}, {kX, 7, 47}};
  static constexpr Spot kPro[] = {{kQB, 25, kUnderCentre}, {kHB, 19, 60}, {kFB, 31, 60},
                                  {kY, 42, 47}, {kX, 7, 47}, {kZ, 43, 54}};
  static constexpr Spot kI[] = {{kQB, 25, kUnderCentre}, {kFB, 25, 59}, {kHB, 25, 66},
                                {kY, 42, 47}, {kX, 7, 47}, {kZ, 43, 54}};
  static constexpr Spot kWing[] = {{kQB, 25, kUnderCentre}, {kFB, 25, 59}, {kHB, 25, 66},
                                   {kY, 43, 52}, {kX, 7, 47}};
  static constexpr Spot kOffset[] = {{kQB, 25, kUnderCentre}, {kFB, 32, 59}, {kHB, 25, 66},
                                     {kY, 42, 47}, {kX, 7, 47}, {kZ, 43, 54}};
  static constexpr Spot kSlotR[] = {{kQB, 25, kUnderCentre}, {kHB, 19, 60}, {kFB, 31, 60},
                                    {kX, 7, 47}, {kZ, 40, 54}};
  static constexpr Spot kSlotL[] = {{kQB, 25, kUnderCentre}, {kHB, 19, 60}, {kFB, 31, 60},
                                    {kX, 7, 47}, {kSlotLeft, 12, 54}, {kZ, 43, 54}};
  static constexpr Spot kOneBack[] = {{kQB, 25, kUnderCentre}, {kHB, 25, 62}, {kX, 7, 47},
                                      {kSlotLeft, 12, 54}, {kY, 42, 47}, {kZ, 43, 54}};
  static constexpr Spot kRunShoot[] = {{kQB, 25, kUnderCentre}, {kHB, 25, 62}, {kX, 7, 47},
                                       {kSlotLeft, 12, 54}, {kSlotRight, 38, 54}, {kZ, 43, 47}};
  static constexpr Spot kShotgun[] = {{kQB, 25, kShotgunDepth}, {kHB, 31, 61}, {kX, 7, 47},
                                      {kY, 42, 47}, {kZ, 43, 54}};
  static constexpr Spot kRedgun[] = {{kQB, 25, kShotgunDepth}, {kHB, 31, 61}, {kFB, 19, 61},
                                     {kX, 7, 47}, {kY, 42, 47}, {kZ, 43, 54}};
  static constexpr Spot kNoBack[] = {{kQB, 25, kShotgunDepth}, {kX, 7, 47}, {kSlotLeft, 12, 54},
                                     {kSlotRight, 37, 54}, {kY, 42, 47}, {kZ, 44, 57}};
  switch (formation) {
    case Formation::kT: return kT;
    case Formation::kProSet: return kPro;
    case Formation::kIFormation: return kI;
    case Formation::kWingTE: return kWing;
    case Formation::kOffset: return kOffset;
    case Formation::kSlotRightSet: return kSlotR;
    case Formation::kSlotLeftSet: return kSlotL;
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

double Clamp(double x) { return std::clamp(x, 6.0, 43.0); }

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
    case Path::kDive:
      if (route.side == Side::kNone) return {s, {kMiddle, kLineOfScrimmage}, {kMiddle, kRunEnd}};
      return {s, {kMiddle + 4 * out, kLineOfScrimmage}, {kMiddle + 4 * out, kRunEnd}};
    case Path::kOffTackle: return {s, {kMiddle + 15 * out, kLineOfScrimmage}, {kMiddle + 17 * out, kRunEnd}};
    case Path::kSweep: return {s, {kMiddle + 19 * out, s.y() - 2}, {Clamp(kMiddle + 21 * out), kRunEnd + 4}};
    case Path::kCounterSweep:  // a step the other way first
      return {s, {x - 6 * out, s.y() + 3}, {kMiddle + 19 * out, s.y() - 1}, {Clamp(kMiddle + 21 * out), kRunEnd + 4}};
    case Path::kCounter:
      return {s, {x - 6 * out, s.y() + 2}, {kMiddle + 10 * out, kLineOfScrimmage}, {kMiddle + 12 * out, kRunEnd}};
    case Path::kReverse:
      return {s, {x, 56}, {kMiddle + 18 * out, 58}, {Clamp(kMiddle + 21 * out), kRunEnd + 4}};
    case Path::kSneak: return {s, {x, 34}};
    case Path::kDraw: return {s, {x, s.y() + 3}, {x, kLineOfScrimmage}, {x, kRunEnd + 2}};
    case Path::kLead: return {s, {kMiddle + 13 * out, kLineOfScrimmage - 4}};
    case Path::kFake: return {s, {Clamp(x + 10 * out), s.y() - 9}};
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
    case Path::kSeam: return {s, {x + 2, kLineOfScrimmage}, {x + 2, 29}};
  }
  return {s};
}

QPoint Pixel(QPointF point) { return point.toPoint(); }

// A filled triangle at the end of a path, pointing its way.
void DrawArrowHead(QPainter& painter, QPointF from, QPointF to, QColor colour, double size) {
  const double dx = to.x() - from.x();
  const double dy = to.y() - from.y();
  const double length = std::hypot(dx, dy);
  if (length < 0.5) return;
  const QPointF unit(dx / length, dy / length);
  const QPointF normal(-unit.y(), unit.x());
  const QPolygonF head = {to + unit * size * 0.6, to - unit * size + normal * size * 0.8,
                          to - unit * size - normal * size * 0.8};
  painter.setPen(QPen(colour, 1));
  painter.setBrush(colour);
  painter.drawPolygon(head.toPolygon());
}

void DrawPath(QPainter& painter, const QPolygonF& points, QColor colour, int width, bool dashed = false) {
  if (points.size() < 2) return;
  QPen pen(colour, width, dashed ? Qt::CustomDashLine : Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  if (dashed) pen.setDashPattern({3, 1});
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(points.toPolygon());
  if (!dashed) DrawArrowHead(painter, points[points.size() - 2], points.back(), colour, width > 1 ? 3.5 : 2.5);
}

void DrawBoard(QPainter& painter) {
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

bool IsPass(BallPlay ball) { return ball >= BallPlay::kDropBack; }

// The linemen's work: a block mark ahead of each on a run, a pocket behind
// them on a pass, and the two guards' way when they pull.
void DrawLine(QPainter& painter, const PlaySketch& sketch) {
  const QColor chalk(kChalk);
  for (size_t i = 0; i < kLinemenX.size(); ++i) {
    const int x = static_cast<int>(kLinemenX[i]);
    const bool guard = i == 1 || i == 3;
    if (guard && sketch.line != Blocking::kAsPlayed) {
      const double side = sketch.line == Blocking::kPullRight ? 1 : -1;
      const QPointF start(x, kLineY + 3);
      DrawPath(painter, {start, start + QPointF(0, 2), QPointF(kMiddle + (i == 1 ? 14 : 19) * side, kLineY + 5),
                         QPointF(kMiddle + (i == 1 ? 15 : 20) * side, kLineOfScrimmage - 3)},
               chalk, 1);
    } else if (IsPass(sketch.ball)) {
      painter.fillRect(QRect(x - 2, static_cast<int>(kLineY) + 4, 5, 1), chalk);
    } else {
      painter.fillRect(QRect(x, static_cast<int>(kLineY) - 6, 1, 3), chalk);
      painter.fillRect(QRect(x - 2, static_cast<int>(kLineY) - 6, 5, 1), chalk);
    }
  }
}

// A round player mark, 5 pixels across (7 for the ball carrier), drawn pixel by pixel.
void DrawDisc(QPainter& painter, QPointF centre, QColor fill, bool large) {
  static constexpr std::array<std::array<int, 2>, 5> kSmall = {{{-1, 1}, {-2, 2}, {-2, 2}, {-2, 2}, {-1, 1}}};
  static constexpr std::array<std::array<int, 2>, 7> kLarge = {
      {{-1, 1}, {-2, 2}, {-3, 3}, {-3, 3}, {-3, 3}, {-2, 2}, {-1, 1}}};
  const QPoint c = Pixel(centre);
  const auto paint = [&](auto rows) {
    const int half = static_cast<int>(rows.size()) / 2;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
      const auto [from, to] = rows[static_cast<size_t>(row)];
      painter.fillRect(QRect(c.x() + from - 1, c.y() + row - half, to - from + 3, 1), QColor(kPlayerEdge));
    }
    painter.fillRect(QRect(c.x() - 1, c.y() - half - 1, 3, 1), QColor(kPlayerEdge));
    painter.fillRect(QRect(c.x() - 1, c.y() + half + 1, 3, 1), QColor(kPlayerEdge));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
      const auto [from, to] = rows[static_cast<size_t>(row)];
      painter.fillRect(QRect(c.x() + from, c.y() + row - half, to - from + 1, 1), fill);
    }
  };
  if (large) {
    paint(kLarge);
  } else {
    paint(kSmall);
  }
}

void DrawPlayers(QPainter& painter, const PlaySketch& sketch) {
  for (double x : kLinemenX) {
    const QRect square(static_cast<int>(x) - 1, static_cast<int>(kLineY) - 1, 3, 3);
    painter.fillRect(square.adjusted(-1, -1, 1, 1), QColor(kPlayerEdge));
    painter.fillRect(square, QColor(kChalk));
  }
  for (const Spot& spot : SpotsOf(sketch.formation)) {
    const bool carrier = spot.role == sketch.carrier;
    DrawDisc(painter, QPointF(spot.x, spot.y), QColor(carrier ? kHighlight : kChalk), carrier);
  }
}

// Dashes for the ball: handoff or pitch to the runner, a pass to the
// target's break, the flea-flicker's trip to the back and back again.
void DrawBall(QPainter& painter, const PlaySketch& sketch, QPointF qbEnd, const QPolygonF& carrierPath) {
  const std::optional<QPointF> qb = SpotOf(sketch.formation, Role::kQB);
  if (!qb || carrierPath.isEmpty()) return;
  const QColor ball(kBall);
  const QPointF second = carrierPath[std::min<qsizetype>(1, carrierPath.size() - 1)];
  switch (sketch.ball) {
    case BallPlay::kKeep:
      return;
    case BallPlay::kHandoff:
    case BallPlay::kDrawHandoff:
      DrawPath(painter, {qbEnd, carrierPath[0]}, ball, 1, true);
      return;
    case BallPlay::kPitch:
    case BallPlay::kReverseHandoff:
      DrawPath(painter, {qbEnd, second}, ball, 1, true);
      return;
    case BallPlay::kReversePitch:  // pitched to the back, who hands it to the reverse
      if (std::optional<QPointF> back = SpotOf(sketch.formation, Role::kHB)) {
        const QPointF meet = *back + QPointF(-8, -2);
        DrawPath(painter, {qbEnd, meet, second}, ball, 1, true);
      }
      return;
    case BallPlay::kFleaFlicker:
      if (std::optional<QPointF> back = SpotOf(sketch.formation, Role::kHB)) {
        DrawPath(painter, {*qb, *back + QPointF(0, -4), qbEnd}, ball, 1, true);
      }
      break;
    default:
      break;
  }
  DrawPath(painter, {qbEnd, carrierPath.back()}, ball, 1, true);
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
  // Hard edges only: a blended pixel next to the key colour would come out
  // as a stray pink dot on the button.
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawBoard(painter);
  painter.setClipRect(QRect(3, 3, kPlayPictureWidth - 6, kPlayPictureHeight - 6));
  DrawLine(painter, sketch);

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
    DrawPath(painter, points, QColor(kChalk), 1, route.path == Path::kFake);
  }
  QPointF qbEnd;
  if (std::optional<QPointF> qb = SpotOf(sketch.formation, Role::kQB)) {
    const QPolygonF steps = QuarterbackPath(*qb, sketch.ball);
    DrawPath(painter, steps, QColor(kChalk), 1);
    qbEnd = steps.back();
  }
  DrawBall(painter, sketch, qbEnd, carrierPath);
  DrawPath(painter, carrierPath, QColor(kHighlight), 2);
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

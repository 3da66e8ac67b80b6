#include "editors/player_steps.h"

#include <algorithm>

#include "league/roster.h"
#include "league/team_record_format.h"

namespace qgu::editors {
namespace {

using league::PlayerRecord;

constexpr RatingColumn kFirstColumn = {{
    {"Running Speed:", &PlayerRecord::runningSpeed},
    {"Rushing Power:", &PlayerRecord::rushingPower},
    {"Maximum Power:", &PlayerRecord::maximumPower},
    {"Hitting Power:", &PlayerRecord::hittingPower},
}};

constexpr RatingColumn kQuarterbackColumn = {{
    {"Passing Speed:", &PlayerRecord::passingSpeed},
    {"Pass Control:", &PlayerRecord::passControl},
    {"Accuracy:", &PlayerRecord::accuracy},
    {"Avoid Pass Block:", &PlayerRecord::avoidPassBlock},
}};

constexpr RatingColumn kBackColumn = {{
    {"Ball Control:", &PlayerRecord::ballControl},
    {"Receptions:", &PlayerRecord::receptions},
}};

constexpr RatingColumn kLinemanColumn = {};

constexpr RatingColumn kDefenceColumn = {{
    {"Pass Interception:", &PlayerRecord::passInterception},
    {"Quickness:", &PlayerRecord::quickness},
}};

constexpr RatingColumn kKickerColumn = {{
    {"Kicking Ability:", &PlayerRecord::kickingAbility},
    {"Avoid Kick Block:", &PlayerRecord::avoidKickBlock},
}};

}  // namespace

const RatingColumn& FirstRatingColumn() { return kFirstColumn; }

const RatingColumn& SecondRatingColumn(int playerIndex) {
  switch (league::GroupOfPosition(playerIndex)) {
    case league::PositionGroup::Quarterback: return kQuarterbackColumn;
    case league::PositionGroup::BackOrReceiver: return kBackColumn;
    case league::PositionGroup::OffensiveLine: return kLinemanColumn;
    case league::PositionGroup::Defence: return kDefenceColumn;
    case league::PositionGroup::Kicking: return kKickerColumn;
  }
  return kLinemanColumn;
}

bool StepRating(PlayerRecord& player, int playerIndex, int column, int row, int delta) {
  if (row < 0 || row >= kRatingRows) return false;
  const RatingColumn& rows = column == 0 ? FirstRatingColumn() : SecondRatingColumn(playerIndex);
  const RatingRow& rating = rows[static_cast<size_t>(row)];
  if (rating.field == nullptr) return false;
  int& value = player.*rating.field;
  value = std::clamp(value + delta, 0, league::kMaxRatingStep);
  return true;
}

int SteppedJersey(std::string_view shownText, int delta) {
  const size_t hash = shownText.find('#');
  const std::string_view number = hash == std::string_view::npos ? shownText : shownText.substr(hash + 1);
  return league::PackJersey(std::clamp(league::FieldToNumber(number) + delta, 0, 99));
}

std::string PlayerListText(const PlayerRecord& player) { return player.firstName + " " + player.lastName; }

}  // namespace qgu::editors

#include "cartridge/builder/team_source.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <sstream>

#include "base/text.h"

namespace qgu::cartridge {
namespace {

constexpr size_t kMaxErrors = 40;
constexpr int kMaxRating = 15;
constexpr int kMaxPlay = 7;
constexpr int kMaxPaletteIndex = 0x3F;

std::string_view Trim(std::string_view text) { return base::Trim(text, " \t\r"); }

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t\r", at);
    if (at == std::string_view::npos) break;
    const auto end = std::min(text.find_first_of(" \t\r", at), text.size());
    tokens.push_back(text.substr(at, end - at));
    at = end;
  }
  return tokens;
}

// Decimal, or hexadecimal with 0x.
std::optional<int> ParseNumber(std::string_view token) {
  int base = 10;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    token.remove_prefix(2);
    base = 16;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value, base);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return value;
}

bool AllOf(std::string_view text, bool (*accept)(char)) {
  return std::all_of(text.begin(), text.end(), accept);
}

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpperOrBlank(char c) { return IsUpper(c) || c == ' '; }
bool IsAbbreviationChar(char c) { return IsUpper(c) || (c >= '0' && c <= '9') || c == '.'; }

// The fields a team must give before its players, in the order the file shows them.
enum class TeamKey { kCity, kNickname, kAbbreviation, kFormation, kColours, kRuns, kPasses, kCount };
constexpr std::array<std::string_view, static_cast<size_t>(TeamKey::kCount)> kTeamKeys = {
    "city", "nickname", "abbr", "formation", "colours", "runs", "passes"};

class Parser {
 public:
  explicit Parser(std::string_view sourceName) : sourceName_(sourceName) {}

  TeamSourceResult Run(std::string_view text) {
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line) && result_.errors.size() < kMaxErrors) {
      ++lineNumber_;
      ParseLine(StripComment(line));
    }
    FinishTeam();
    if (result_.errors.empty() && result_.teams.size() != kTeamCount) {
      Fail("the file holds " + std::to_string(result_.teams.size()) + " teams; the cartridge needs exactly " +
           std::to_string(kTeamCount));
    }
    return std::move(result_);
  }

 private:
  static std::string_view StripComment(std::string_view line) {
    return Trim(line.substr(0, line.find('#')));
  }

  void Fail(const std::string& what) {
    result_.errors.push_back(sourceName_ + ":" + std::to_string(lineNumber_) + ": " + what);
  }

  void ParseLine(std::string_view line) {
    if (line.empty()) return;
    const auto tokens = Tokens(line);
    const std::string_view word = tokens.front();
    if (word == "team") return StartTeam(tokens);
    if (!team_) return Fail("\"" + std::string(word) + "\" before the first \"team\" line");
    const auto key = std::find(kTeamKeys.begin(), kTeamKeys.end(), word);
    if (key != kTeamKeys.end()) {
      return ParseTeamField(static_cast<TeamKey>(key - kTeamKeys.begin()), Trim(line.substr(word.size())));
    }
    if (std::find(kPositionTags.begin(), kPositionTags.end(), word) != kPositionTags.end()) {
      return ParsePlayer(line);
    }
    Fail("unknown line starting with \"" + std::string(word) + "\"");
  }

  std::string TeamName() const { return "team " + std::to_string(team_->number); }

  void StartTeam(const std::vector<std::string_view>& tokens) {
    FinishTeam();
    const int expected = static_cast<int>(result_.teams.size());
    const auto number = tokens.size() == 2 ? ParseNumber(tokens[1]) : std::nullopt;
    if (!number || *number != expected) {
      Fail("expected \"team " + std::to_string(expected) + "\" (teams come in order 0.." +
           std::to_string(kTeamCount - 1) + ")");
    }
    team_ = SourceTeam{};
    team_->number = expected;
    seenKeys_ = {};
    playerCount_ = 0;
    teamLine_ = lineNumber_;
  }

  void FinishTeam() {
    if (!team_) return;
    const int keepLine = lineNumber_;
    lineNumber_ = teamLine_;
    for (size_t k = 0; k < kTeamKeys.size(); ++k) {
      if (!seenKeys_[k]) Fail(TeamName() + " has no \"" + std::string(kTeamKeys[k]) + "\" line");
    }
    if (playerCount_ != league::kPlayerCount) {
      Fail(TeamName() + " has " + std::to_string(playerCount_) + " players; it needs " +
           std::to_string(league::kPlayerCount));
    }
    lineNumber_ = keepLine;
    result_.teams.push_back(std::move(*team_));
    team_.reset();
  }

  void ParseTeamField(TeamKey key, std::string_view value) {
    auto& seen = seenKeys_[static_cast<size_t>(key)];
    if (seen) return Fail(TeamName() + " gives \"" + std::string(kTeamKeys[static_cast<size_t>(key)]) + "\" twice");
    seen = true;
    switch (key) {
      case TeamKey::kCity: team_->city = TeamText("city", value); break;
      case TeamKey::kNickname: team_->nickname = TeamText("nickname", value); break;
      case TeamKey::kAbbreviation: ParseAbbreviation(value); break;
      case TeamKey::kFormation: ParseFormation(value); break;
      case TeamKey::kColours: ParseNumbers("colours", value, kMaxPaletteIndex, team_->colours); break;
      case TeamKey::kRuns: ParseNumbers("runs", value, kMaxPlay, team_->runs); break;
      case TeamKey::kPasses: ParseNumbers("passes", value, kMaxPlay, team_->passes); break;
      case TeamKey::kCount: break;
    }
  }

  std::string TeamText(const char* what, std::string_view value) {
    if (value.empty() || !AllOf(value, IsUpperOrBlank) || value.front() == ' ' || value.back() == ' ') {
      Fail(TeamName() + " " + what + " \"" + std::string(value) + "\" must be upper-case letters (blanks only inside)");
    } else if (value.size() > kMaxTeamNameLength) {
      Fail(TeamName() + " " + what + " \"" + std::string(value) + "\" is " + std::to_string(value.size()) +
           " characters; at most " + std::to_string(kMaxTeamNameLength) + " fit a team record");
    }
    return std::string(value);
  }

  void ParseAbbreviation(std::string_view value) {
    if (value.size() != kAbbreviationLength || !AllOf(value, IsAbbreviationChar)) {
      Fail(TeamName() + " abbreviation \"" + std::string(value) +
           "\" must be exactly 4 characters (upper-case letters, digits, dots), no blanks");
    }
    team_->abbreviation = std::string(value);
  }

  void ParseFormation(std::string_view value) {
    const auto formation = ParseNumber(value);
    const int rule = FormationOfTeam(team_->number);
    if (!formation || *formation != rule) {
      Fail(TeamName() + " formation \"" + std::string(value) + "\": the cartridge plays " + TeamName() +
           " in formation " + std::to_string(rule) + " (3 for teams 12, 14, 17; 4 for 7, 20, 27; 2 otherwise)");
    }
    team_->formation = rule;
  }

  template <size_t N>
  void ParseNumbers(const char* what, std::string_view value, int max, std::array<uint8_t, N>& out) {
    const auto tokens = Tokens(value);
    if (tokens.size() != N) {
      return Fail(TeamName() + " \"" + what + "\" needs " + std::to_string(N) + " numbers, has " +
                  std::to_string(tokens.size()));
    }
    for (size_t i = 0; i < N; ++i) {
      const auto number = ParseNumber(tokens[i]);
      if (!number || *number < 0 || *number > max) {
        return Fail(TeamName() + " \"" + what + "\" value \"" + std::string(tokens[i]) + "\" is not 0.." +
                    std::to_string(max));
      }
      out[i] = static_cast<uint8_t>(*number);
    }
  }

  void ParsePlayer(std::string_view line) {
    const auto bar = line.find('|');
    const auto left = Tokens(line.substr(0, bar));
    const auto right = bar == std::string_view::npos ? std::vector<std::string_view>{} : Tokens(line.substr(bar + 1));
    const std::string_view tag = left.front();
    if (playerCount_ >= league::kPlayerCount || kPositionTags[static_cast<size_t>(playerCount_)] != tag) {
      const std::string expected = playerCount_ < league::kPlayerCount
                                       ? "expected " + std::string(kPositionTags[static_cast<size_t>(playerCount_)])
                                       : "the roster is full";
      ++playerCount_;
      return Fail(TeamName() + " player " + std::string(tag) + " out of roster order (" + expected + ")");
    }
    const int index = playerCount_++;
    const league::PositionGroup group = league::GroupOfPosition(index);
    const std::string who = TeamName() + " " + std::string(tag);
    if (bar == std::string_view::npos) return Fail(who + ": missing \"|\" before the group's ratings");
    if (left.size() != 9) {
      return Fail(who + ": needs position, number, first name, LAST NAME, skin and four ratings before \"|\"");
    }
    if (right.size() != ExtraRatingCount(group)) {
      return Fail(who + ": needs " + std::to_string(ExtraRatingCount(group)) + " ratings after \"|\", has " +
                  std::to_string(right.size()));
    }
    SourcePlayer& player = team_->players[static_cast<size_t>(index)];
    ParseJersey(who, left[1], player);
    ParseNames(who, left[2], left[3], player);
    if (left[4] != "light" && left[4] != "dark") return Fail(who + ": skin must be \"light\" or \"dark\"");
    player.skin = left[4] == "dark" ? kDarkSkin : 0;
    for (size_t i = 0; i < 4; ++i) player.common[i] = Rating(who, left[5 + i]);
    for (const auto token : right) player.extra.push_back(Rating(who, token));
  }

  void ParseJersey(const std::string& who, std::string_view token, SourcePlayer& player) {
    const auto jersey = ParseNumber(token);
    if (!jersey || *jersey < 0 || *jersey > 99) return Fail(who + ": jersey \"" + std::string(token) + "\" is not 0..99");
    player.jersey = *jersey;
    for (int i = 0; i + 1 < playerCount_; ++i) {
      if (team_->players[static_cast<size_t>(i)].jersey == *jersey) {
        return Fail(who + ": jersey " + std::to_string(*jersey) + " is already worn by " +
                    std::string(kPositionTags[static_cast<size_t>(i)]));
      }
    }
  }

  void ParseNames(const std::string& who, std::string_view first, std::string_view last, SourcePlayer& player) {
    // The cartridge splits a name at its first upper-case letter.
    if (!AllOf(first, IsLower)) Fail(who + ": first name \"" + std::string(first) + "\" must be lower-case letters");
    if (!AllOf(last, IsUpper)) Fail(who + ": last name \"" + std::string(last) + "\" must be upper-case letters");
    if (first.size() > kMaxPlayerNamePart || last.size() > kMaxPlayerNamePart) {
      Fail(who + ": names are cut to " + std::to_string(kMaxPlayerNamePart) + " letters when a game is prepared");
    }
    player.firstName = std::string(first);
    player.lastName = std::string(last);
  }

  uint8_t Rating(const std::string& who, std::string_view token) {
    const auto rating = ParseNumber(token);
    if (!rating || *rating < 0 || *rating > kMaxRating) {
      Fail(who + ": rating \"" + std::string(token) + "\" is not 0..15");
      return 0;
    }
    return static_cast<uint8_t>(*rating);
  }

  std::string sourceName_;
  TeamSourceResult result_;
  std::optional<SourceTeam> team_;
  std::array<bool, kTeamKeys.size()> seenKeys_{};
  int playerCount_ = 0;
  int lineNumber_ = 0;
  int teamLine_ = 0;
};

}  // namespace

TeamSourceResult ParseTeamSource(std::string_view text, std::string_view sourceName) {
  return Parser(sourceName).Run(text);
}

league::PlayerRecord RecordOf(const SourcePlayer& source, int rosterIndex) {
  league::PlayerRecord player;
  player.jersey = league::PackJersey(source.jersey);
  player.firstName = source.firstName;
  player.lastName = source.lastName;
  player.runningSpeed = source.common[0];
  player.rushingPower = source.common[1];
  player.maximumPower = source.common[2];
  player.hittingPower = source.common[3];
  player.skin = source.skin;
  // The group's ratings come in the order of its attribute record's pairs.
  const AttributeRecord record = AttributeRecordOf(league::GroupOfPosition(rosterIndex));
  for (size_t i = 0; i < source.extra.size() && 3 + i / 2 < record.count; ++i) {
    const AttributeByte pair = record.bytes[3 + i / 2];
    player.*league::PlayerNumberFields[static_cast<size_t>(i % 2 == 0 ? pair.highField : pair.lowField)] = source.extra[i];
  }
  return player;
}

league::TeamRecord RecordOf(const SourceTeam& source) {
  league::TeamRecord team;
  league::TeamHeader& h = team.header;
  h.city = source.city;
  h.nickname = source.nickname;
  h.abbreviation = source.abbreviation;
  for (size_t i = 0; i < source.colours.size(); ++i) {
    h.*league::TeamNumberFields[league::kPrimaryPantsColourField + i] = source.colours[i];
  }
  h.runPlays12 = source.runs[0] << 4 | source.runs[1];
  h.runPlays34 = source.runs[2] << 4 | source.runs[3];
  h.passPlays12 = source.passes[0] << 4 | source.passes[1];
  h.passPlays34 = source.passes[2] << 4 | source.passes[3];
  h.formation = source.formation;
  for (int p = 0; p < league::kPlayerCount; ++p) {
    team.players[static_cast<size_t>(p)] = RecordOf(source.players[static_cast<size_t>(p)], p);
  }
  return team;
}

}  // namespace qgu::cartridge

#include "league/team_record_format.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <sstream>

#include "league/field_splitter.h"
#include "league/text_lines.h"

namespace qgu::league {
namespace {

constexpr std::array<std::string_view, kTeamTextFieldCount> kTeamTextNames = {"city", "nickname",
                                                                              "abbreviation"};

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

Status CheckFieldLength(std::string_view field, std::string_view what) {
  if (field.size() <= kMaxTextFieldLength) return {};
  return Fail("the " + std::string(what) + " is longer than " + std::to_string(kMaxTextFieldLength) +
              " characters");
}

// A text must not break the line layout and must fit the readers' buffers.
Status CheckWritableText(std::string_view text, std::string_view what) {
  if (Status length = CheckFieldLength(text, what); !length) return length;
  for (char c : text) {
    if (c == kRecordSeparator || c == '\r' || c == '\n' || c == '\0') {
      return Fail("the " + std::string(what) + " \"" + std::string(text) +
                  "\" holds a control character that a team record file cannot store");
    }
  }
  return {};
}

void AppendField(std::string& line, std::string_view field) {
  line.append(field);
  line.push_back(kRecordSeparator);
}

void AppendNumber(std::string& line, int value) { AppendField(line, std::to_string(value)); }

// Complete fields: text after the last separator is none.
size_t FieldCount(std::string_view line) {
  return static_cast<size_t>(std::count(line.begin(), line.end(), kRecordSeparator));
}

std::string LineError(int lineNumber, const std::string& message) {
  return "line " + std::to_string(lineNumber) + ": " + message;
}

}  // namespace

int FieldToNumber(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && IsBlank(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (field[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;  // clamp, keep consuming digits
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int>(value);
}

Result<TeamHeader> ParseTeamLine(std::string_view line) {
  TeamHeader header;
  FieldSplitter splitter(line, kRecordSeparator);
  int index = 0;
  for (; index < kTeamFieldCount; ++index) {
    const std::optional<std::string_view> field = splitter.NextField();
    if (!field) break;
    if (index < kTeamTextFieldCount) {
      if (Status length = CheckFieldLength(*field, kTeamTextNames[index]); !length) {
        return Fail(length.error());
      }
      header.*TeamTextFields[index] = std::string(*field);
    } else {
      header.*TeamNumberFields[index] = FieldToNumber(*field);
    }
  }
  header.fieldCount = index;
  header.ratioEnabled = header.ratioEnabled != 0 ? 1 : 0;
  return header;
}

Result<PlayerRecord> ParsePlayerLine(std::string_view line) {
  PlayerRecord player;
  FieldSplitter splitter(line, kRecordSeparator);
  for (int index = 0; index < kPlayerFieldCount; ++index) {
    const std::optional<std::string_view> field = splitter.NextField();
    if (!field) break;
    if (index == kFirstNameField || index == kLastNameField) {
      const bool first = index == kFirstNameField;
      if (Status length = CheckFieldLength(*field, first ? "first name" : "last name"); !length) {
        return Fail(length.error());
      }
      (first ? player.firstName : player.lastName) = std::string(*field);
    } else {
      player.*PlayerNumberFields[index] = FieldToNumber(*field);
    }
  }
  return player;
}

namespace {

// The next line, or an error naming it (too long, or missing when required).
Result<std::string> NextRecordLine(std::istream& in, int lineNumber, const char* missingMessage) {
  std::string line;
  switch (ReadTextLine(in, line, kMaxLineLength)) {
    case LineStatus::kLine:
      return line;
    case LineStatus::kTooLong:
      return Fail(LineError(lineNumber, "longer than " + std::to_string(kMaxLineLength) + " characters"));
    case LineStatus::kEnd:
      break;
  }
  return Fail(missingMessage);
}

}  // namespace

Result<TeamHeader> ParseFirstTeamLine(std::istream& in) {
  Result<std::string> line = NextRecordLine(in, 1, "the file is empty");
  if (!line) return Fail(line.error());
  Result<TeamHeader> header = ParseTeamLine(line.value());
  if (!header) return Fail(LineError(1, header.error()));
  if (header.value().fieldCount < kTeamTextFieldCount) {
    return Fail(LineError(1, "not a team line: it holds " + std::to_string(header.value().fieldCount) +
                                 " fields, not the city, nickname and abbreviation a team line starts with"));
  }
  return header;
}

Result<TeamRecord> ParseTeamRecord(std::istream& in) {
  TeamRecord record;
  Result<TeamHeader> header = ParseFirstTeamLine(in);
  if (!header) return Fail(header.error());
  record.header = std::move(header).value();
  for (int index = 0; index < kPlayerCount; ++index) {
    const int lineNumber = index + 2;
    const std::string missing = "only " + std::to_string(index) + " of the " +
                                std::to_string(kPlayerCount) + " player lines are present";
    Result<std::string> line = NextRecordLine(in, lineNumber, missing.c_str());
    if (!line) return Fail(line.error());
    if (const size_t fields = FieldCount(line.value()); fields < kPlayerFieldCount) {
      return Fail(LineError(lineNumber, "not a player line: it holds " + std::to_string(fields) + " of the " +
                                            std::to_string(kPlayerFieldCount) + " fields"));
    }
    Result<PlayerRecord> player = ParsePlayerLine(line.value());
    if (!player) return Fail(LineError(lineNumber, player.error()));
    record.players[static_cast<size_t>(index)] = std::move(player).value();
  }
  return record;
}

Result<TeamRecord> ParseTeamRecordText(std::string_view text) {
  std::istringstream in{std::string(text)};
  return ParseTeamRecord(in);
}

Result<std::string> FormatTeamLine(const TeamHeader& header, TeamLineForm form) {
  const int fieldCount = form == TeamLineForm::kFull ? kTeamFieldCount : kImportTeamFieldCount;
  std::string line;
  for (int index = 0; index < fieldCount; ++index) {
    if (index < kTeamTextFieldCount) {
      const std::string& text = header.*TeamTextFields[index];
      if (Status writable = CheckWritableText(text, kTeamTextNames[index]); !writable) {
        return Fail(writable.error());
      }
      AppendField(line, text);
    } else {
      AppendNumber(line, header.*TeamNumberFields[index]);
    }
  }
  line += kWindowsTextLineEnd;
  return line;
}

Result<std::string> FormatPlayerLine(const PlayerRecord& player) {
  std::string line;
  for (int index = 0; index < kPlayerFieldCount; ++index) {
    if (index == kFirstNameField || index == kLastNameField) {
      const bool first = index == kFirstNameField;
      const std::string& text = first ? player.firstName : player.lastName;
      if (Status writable = CheckWritableText(text, first ? "first name" : "last name"); !writable) {
        return Fail(writable.error());
      }
      AppendField(line, text);
    } else {
      AppendNumber(line, player.*PlayerNumberFields[index]);
    }
  }
  line += kWindowsTextLineEnd;
  return line;
}

Result<std::string> FormatTeamRecord(const TeamRecord& record, TeamLineForm form) {
  Result<std::string> content = FormatTeamLine(record.header, form);
  if (!content) return content;
  for (size_t index = 0; index < record.players.size(); ++index) {
    Result<std::string> line = FormatPlayerLine(record.players[index]);
    if (!line) {
      return Fail("player " + std::to_string(index + 1) + " (" + std::string(PositionNames[index]) +
                  "): " + line.error());
    }
    content.value() += line.value();
  }
  return content;
}

}  // namespace qgu::league

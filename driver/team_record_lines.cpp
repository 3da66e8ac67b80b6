#include "driver/team_record_lines.h"

#include <fstream>

#include "league/field_splitter.h"
#include "league/team_record_format.h"
#include "league/text_lines.h"

namespace qgu::driver {
namespace {

bool ReadRecordLine(std::istream& in, RecordFields& fields) {
  std::string line;
  if (!league::ReadTextLine(in, line)) return false;
  if (line.size() > league::kMaxLineLength) line.resize(league::kMaxLineLength);
  fields = league::SplitFields(line, league::kRecordSeparator);
  return true;
}

}  // namespace

std::optional<RecordFields> ReadTeamHeader(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  RecordFields header;
  ReadRecordLine(in, header);
  return header;
}

std::optional<TeamRecordLines> ReadTeamRecordLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  TeamRecordLines lines;
  ReadRecordLine(in, lines.header);
  RecordFields player;
  while (lines.players.size() < league::kPlayerCount && ReadRecordLine(in, player)) lines.players.push_back(player);
  return lines;
}

std::string_view FieldAt(const RecordFields& fields, size_t index) {
  return index < fields.size() ? std::string_view(fields[index]) : std::string_view();
}

int NumberAt(const RecordFields& fields, size_t index) { return league::FieldToNumber(FieldAt(fields, index)); }

}  // namespace qgu::driver

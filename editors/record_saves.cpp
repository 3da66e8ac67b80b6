#include "editors/record_saves.h"

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/file_read.h"
#include "league/field_splitter.h"
#include "league/league_writer.h"
#include "league/team_record_format.h"
#include "league/text_case.h"

namespace qgu::editors {
namespace {

namespace fs = std::filesystem;
using league::Fail;
using league::PlayerRecord;
using league::Result;
using league::Status;
using league::TeamHeader;

// A team record file is 31 lines of at most 1023 characters; anything far
// larger is not one.
constexpr size_t kMaxRecordFileSize = 1 << 20;

struct Line {
  std::string body;  // without its line end
  std::string end;   // the CRs and LF that ended it (empty on an unended last line)
};

Result<std::string> ReadWhole(const fs::path& path) { return base::ReadFileText(path, kMaxRecordFileSize); }

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  while (!content.empty()) {
    const size_t lf = content.find('\n');
    std::string_view text = content.substr(0, lf == std::string_view::npos ? content.size() : lf + 1);
    content.remove_prefix(text.size());
    size_t bodyLength = text.size();
    if (bodyLength > 0 && text[bodyLength - 1] == '\n') --bodyLength;
    while (bodyLength > 0 && text[bodyLength - 1] == '\r') --bodyLength;
    lines.push_back({std::string(text.substr(0, bodyLength)), std::string(text.substr(bodyLength))});
  }
  return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
  std::string content;
  for (const Line& line : lines) content += line.body + line.end;
  return content;
}

struct NewField {
  std::string text;
  bool unchanged;  // the value equals what the old line holds (or its default, when absent)
};

// The old line where nothing changed; otherwise every new field, each taking
// the old text where its value is unchanged, then the old line's later fields
// and whatever followed its last separator.
std::string MergeLine(std::string_view oldLine, const std::vector<NewField>& fields) {
  bool anyChange = false;
  for (const NewField& field : fields) anyChange = anyChange || !field.unchanged;
  if (!anyChange) return std::string(oldLine);
  const std::vector<std::string> oldFields = league::SplitFields(oldLine, league::kRecordSeparator);
  std::string line;
  for (size_t i = 0; i < std::max(fields.size(), oldFields.size()); ++i) {
    const bool keepOld = i < oldFields.size() && (i >= fields.size() || fields[i].unchanged);
    line += keepOld ? oldFields[i] : fields[i].text;
    line += league::kRecordSeparator;
  }
  const size_t lastSeparator = oldLine.rfind(league::kRecordSeparator);
  line += oldLine.substr(lastSeparator == std::string_view::npos ? oldLine.size() : lastSeparator + 1);
  return line;
}

// Texts come from upper-case edits, which cannot show an old spelling's case.
bool SameText(const std::string& before, const std::string& after) {
  return league::EqualsIgnoringCase(before, after);
}

std::vector<NewField> TeamFields(const TeamHeader& before, const TeamHeader& after) {
  std::vector<NewField> fields;
  for (int i = 0; i < league::kTeamFieldCount; ++i) {
    if (i < league::kTeamTextFieldCount) {
      const auto text = league::TeamTextFields[static_cast<size_t>(i)];
      fields.push_back({after.*text, SameText(before.*text, after.*text)});
    } else {
      const auto number = league::TeamNumberFields[static_cast<size_t>(i)];
      fields.push_back({std::to_string(after.*number), before.*number == after.*number});
    }
  }
  return fields;
}

std::vector<NewField> PlayerFields(const PlayerRecord& before, const PlayerRecord& after) {
  std::vector<NewField> fields;
  for (int i = 0; i < league::kPlayerFieldCount; ++i) {
    if (i == league::kFirstNameField) {
      fields.push_back({after.firstName, SameText(before.firstName, after.firstName)});
    } else if (i == league::kLastNameField) {
      fields.push_back({after.lastName, SameText(before.lastName, after.lastName)});
    } else {
      const auto number = league::PlayerNumberFields[static_cast<size_t>(i)];
      fields.push_back({std::to_string(after.*number), before.*number == after.*number});
    }
  }
  return fields;
}

// An old line that does not parse (an overlong text) is written anew throughout.
std::vector<NewField> AllChanged(std::vector<NewField> fields) {
  for (NewField& field : fields) field.unchanged = false;
  return fields;
}

Status MergeTeamLine(Line& line, const TeamHeader& header) {
  if (Result<std::string> valid = league::FormatTeamLine(header); !valid) return Fail(valid.error());
  const Result<TeamHeader> before = league::ParseTeamLine(line.body);
  line.body = MergeLine(line.body, before ? TeamFields(before.value(), header) : AllChanged(TeamFields({}, header)));
  return {};
}

Status MergePlayerLine(Line& line, const PlayerRecord& player) {
  if (Result<std::string> valid = league::FormatPlayerLine(player); !valid) return Fail(valid.error());
  const Result<PlayerRecord> before = league::ParsePlayerLine(line.body);
  line.body = MergeLine(line.body, before ? PlayerFields(before.value(), player) : AllChanged(PlayerFields({}, player)));
  return {};
}

Status Replace(league::LeagueWriter& writer, const fs::path& path, const std::string& before,
               const std::vector<Line>& lines) {
  const std::string after = JoinLines(lines);
  if (after == before) return {};  // nothing to write: the file stays untouched
  return writer.Rewrite(path, after);
}

// The league's writer for the file's folder: the file is read and replaced
// while no other program writes there.
Result<league::LeagueWriter> WriterFor(const fs::path& path) { return league::LeagueWriter::Open(league::FolderOf(path)); }

}  // namespace

std::optional<FileStamp> StampOf(const fs::path& path) {
  std::error_code error;
  FileStamp stamp;
  stamp.size = fs::file_size(path, error);
  if (error) return std::nullopt;
  stamp.time = fs::last_write_time(path, error);
  if (error) return std::nullopt;
  return stamp;
}

Status SaveTeamLine(const fs::path& path, const TeamHeader& header) {
  Result<league::LeagueWriter> writer = WriterFor(path);
  if (!writer) return Fail(writer.error());
  Result<std::string> content = ReadWhole(path);
  if (!content) return Fail(content.error());
  std::vector<Line> lines = SplitLines(content.value());
  if (lines.empty()) return Fail(path.string() + ": the file is empty");
  if (Status merged = MergeTeamLine(lines[0], header); !merged) return Fail(path.string() + ": " + merged.error());
  return Replace(writer.value(), path, content.value(), lines);
}

Status SavePlayers(const fs::path& path, int kickReturner, int puntReturner,
                   const std::array<PlayerRecord, league::kPlayerCount>& players) {
  Result<league::LeagueWriter> writer = WriterFor(path);
  if (!writer) return Fail(writer.error());
  Result<std::string> content = ReadWhole(path);
  if (!content) return Fail(content.error());
  std::vector<Line> lines = SplitLines(content.value());
  if (lines.size() < 1 + league::kPlayerCount) {
    return Fail(path.string() + ": the file does not hold " + std::to_string(league::kPlayerCount) + " players");
  }
  Result<TeamHeader> header = league::ParseTeamLine(lines[0].body);
  if (!header) return Fail(path.string() + ": line 1: " + header.error());
  header.value().kickReturner = kickReturner;
  header.value().puntReturner = puntReturner;
  if (Status merged = MergeTeamLine(lines[0], header.value()); !merged) {
    return Fail(path.string() + ": " + merged.error());
  }
  for (size_t i = 0; i < players.size(); ++i) {
    PlayerRecord player = players[i];
    player.firstName = league::LowerCase(player.firstName);
    if (Status merged = MergePlayerLine(lines[i + 1], player); !merged) {
      return Fail(path.string() + ": " + std::string(league::PositionNames[i]) + ": " + merged.error());
    }
  }
  return Replace(writer.value(), path, content.value(), lines);
}

}  // namespace qgu::editors

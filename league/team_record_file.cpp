#include "league/team_record_file.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <set>
#include <system_error>

#include "base/file_read.h"
#include "league/file_io.h"
#include "league/league_writer.h"
#include "league/text_case.h"
#include "league/text_lines.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

template <class T>
Result<T> PrefixPath(const fs::path& path, Result<T> result) {
  if (result) return result;
  return Fail(path.string() + ": " + result.error());
}

Result<std::istringstream> OpenForReading(const fs::path& path) {
  Result<std::string> text = base::ReadFileText(path, kMaxTeamRecordFileBytes);
  if (!text) return Fail(text.error());
  return std::istringstream(std::move(text).value());
}

// Player lines of an existing file after its team line, each re-ended with CR CR LF.
Result<std::string> PlayerLinesOf(const fs::path& path) {
  Result<std::istringstream> in = OpenForReading(path);
  if (!in) return Fail(in.error());
  std::string line;
  std::string lines;
  int lineNumber = 0;
  for (;;) {
    const LineStatus status = ReadTextLine(in.value(), line, kMaxLineLength);
    if (status == LineStatus::kEnd) break;
    ++lineNumber;
    if (status == LineStatus::kTooLong && lineNumber > 1) {
      return Fail(path.string() + ": line " + std::to_string(lineNumber) + ": longer than " +
                  std::to_string(kMaxLineLength) + " characters");
    }
    if (lineNumber == 1) continue;  // the old team line is replaced
    lines += line;
    lines += kWindowsTextLineEnd;
  }
  if (lineNumber == 0) return Fail(path.string() + ": the file is empty");
  return lines;
}

}  // namespace

Result<TeamRecord> ReadTeamRecordFile(const fs::path& path) {
  Result<std::istringstream> in = OpenForReading(path);
  if (!in) return Fail(in.error());
  return PrefixPath(path, ParseTeamRecord(in.value()));
}

Result<TeamHeader> ReadTeamLineFile(const fs::path& path) {
  Result<std::istringstream> in = OpenForReading(path);
  if (!in) return Fail(in.error());
  return PrefixPath(path, ParseFirstTeamLine(in.value()));
}

std::string TeamFileStem(std::string_view abbreviation) {
  std::string stem;
  for (char c : abbreviation) {
    if (c == '.') continue;
    const bool unsafe = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                        std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    stem.push_back(unsafe ? '_' : c);
  }
  return stem;
}

std::string TeamFileName(std::string_view stem, long number) {
  return std::string(stem) + std::to_string(number) + ".dat";
}

Result<fs::path> CreateTeamRecordFile(const fs::path& leagueFolder, const TeamRecord& record,
                                      TeamLineForm form) {
  Result<std::string> content = FormatTeamRecord(record, form);
  if (!content) {
    return Fail("Unable to write team " + TeamDisplayName(record.header) + ": " + content.error());
  }
  Result<LeagueWriter> writer = LeagueWriter::Open(leagueFolder);
  if (!writer) return Fail(writer.error());
  Result<PlacedTeam> placed = writer.value().CreateTeam(content.value(), record.header, {});
  if (!placed) return Fail(placed.error());
  return placed.value().path;
}

Status RewriteTeamRecordFile(const fs::path& path, const TeamRecord& record) {
  Result<std::string> content = FormatTeamRecord(record);
  if (!content) return Fail(path.string() + ": " + content.error());
  Result<LeagueWriter> writer = LeagueWriter::Open(FolderOf(path));
  if (!writer) return Fail(writer.error());
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return Fail("Unable to open " + path.string());
  return writer.value().Rewrite(path, content.value());
}

Status RewriteTeamLine(const fs::path& path, const TeamHeader& header) {
  Result<std::string> teamLine = FormatTeamLine(header);
  if (!teamLine) return Fail(path.string() + ": " + teamLine.error());
  Result<LeagueWriter> writer = LeagueWriter::Open(FolderOf(path));
  if (!writer) return Fail(writer.error());
  Result<std::string> playerLines = PlayerLinesOf(path);
  if (!playerLines) return Fail(playerLines.error());
  return writer.value().Rewrite(path, teamLine.value() + playerLines.value());
}

}  // namespace qgu::league

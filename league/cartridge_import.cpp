#include "league/cartridge_import.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "league/league_folders.h"
#include "league/team_record_file.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// The league's folder, made (with its config.lge) when there is none yet.
Result<FoundLeague> FindOrMakeLeague(const fs::path& base, const std::string& name) {
  std::error_code error;
  fs::create_directories(base, error);
  if (error) return Fail("Unable to create the folder " + base.string() + ": " + error.message());
  Result<fs::path> leagues = FindOrCreateLeaguesFolder(base);
  if (!leagues) return Fail(leagues.error());
  return FindOrCreateLeague(leagues.value(), name);
}

}  // namespace

LoadedCartridge LoadCartridgeForImport(const fs::path& image) {
  LoadedCartridge loaded;
  Result<std::vector<uint8_t>> bytes = ReadCartridgeFile(image);
  if (bytes) {
    Result<CartridgeTeams> teams = ExtractCartridgeTeams(bytes.value());
    if (teams) {
      loaded.teams = std::move(teams).value();
      return loaded;
    }
    loaded.messages.push_back(teams.error());
    loaded.messages.emplace_back(kRomLoadFailedMessage);
    return loaded;
  }
  loaded.messages.push_back(bytes.error());  // the described message with its reason
  return loaded;
}

Result<ScriptedImportOutcome> RunScriptedImport(const ScriptedImport& request) {
  for (const int team : request.teams) {
    if (team < 0 || team >= cartridge::kTeamCount) {
      return Fail("There is no cartridge team " + std::to_string(team) + " (teams are 0 to 27)");
    }
  }
  // Nothing is written before the image is known to be good.
  LoadedCartridge loaded = LoadCartridgeForImport(request.image);
  if (!loaded.teams) return Fail(JoinLines(loaded.messages));

  Result<FoundLeague> league = FindOrMakeLeague(request.base, request.league);
  if (!league) return Fail(league.error());
  std::vector<int> selection = request.teams;
  if (selection.empty()) {
    for (int t = 0; t < cartridge::kTeamCount; ++t) selection.push_back(t);
  }
  const bool replace = request.duplicates == DuplicatePolicy::kReplace;
  Result<ImportReport> report =
      WriteCartridgeTeams(league.value().folder, *loaded.teams, selection,
                          [replace](const TeamHeader&, const TeamListEntry&) { return replace; }, request.written);
  if (!report) return Fail(report.error());
  ScriptedImportOutcome outcome{league.value().folder, league.value().created, std::move(report).value(), {}};
  if (!league.value().note.empty()) outcome.notes.push_back(league.value().note);
  return outcome;
}

std::optional<std::vector<int>> ParseTeamSelection(std::string_view text) {
  if (text == "all") return std::vector<int>{};
  std::vector<int> teams;
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    int value = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (item.empty() || error != std::errc() || end != item.data() + item.size()) return std::nullopt;
    teams.push_back(value);
    if (comma == std::string_view::npos) return teams;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace qgu::league

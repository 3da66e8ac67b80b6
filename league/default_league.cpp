#include "league/default_league.h"

#include <numeric>
#include <system_error>
#include <vector>

#include "league/cartridge_teams.h"
#include "league/league_folders.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

bool HasAnyLeague(const fs::path& base) {
  const std::optional<fs::path> leagues = FindLeaguesFolder(base);
  if (!leagues) return false;
  // Any sub-folder counts: the single game dialog lists folders without config.lge too.
  Result<std::vector<std::string>> names = ListLeagues(*leagues, LeagueFilter::kAllFolders);
  return names && !names.value().empty();
}

Status FillLeague(const fs::path& folder, std::span<const uint8_t> image, int& written) {
  Result<CartridgeTeams> teams = ExtractCartridgeTeams(image);
  if (!teams) return Fail(teams.error());
  std::vector<int> all(cartridge::kTeamCount);
  std::iota(all.begin(), all.end(), 0);
  // A fresh folder holds no team to duplicate; never overwrite if one appears.
  Result<ImportReport> report =
      WriteCartridgeTeams(folder, teams.value(), all, [](const TeamHeader&, const TeamListEntry&) { return false; });
  if (!report) return Fail(report.error());
  written = static_cast<int>(report.value().written.size());
  if (!report.value().failures.empty()) return Fail(report.value().failures.front());
  if (written != cartridge::kTeamCount) return Fail("only " + std::to_string(written) + " teams could be written");
  return {};
}

}  // namespace

Result<DefaultLeagueOutcome> EnsureDefaultLeague(const fs::path& base, std::span<const uint8_t> cartridgeImage) {
  if (HasAnyLeague(base)) return DefaultLeagueOutcome{};

  Result<fs::path> leagues = FindOrCreateLeaguesFolder(base);
  if (!leagues) return Fail("Unable to create the leagues folder: " + leagues.error());
  Result<NewLeague> league = CreateLeague(leagues.value(), kDefaultLeagueName);
  if (!league) return Fail("Unable to create the league \"" + std::string(kDefaultLeagueName) + "\": " + league.error());

  DefaultLeagueOutcome outcome;
  outcome.folder = league.value().folder;
  if (Status filled = FillLeague(outcome.folder, cartridgeImage, outcome.teamCount); !filled) {
    std::error_code ignored;
    fs::remove_all(outcome.folder, ignored);
    return Fail("Unable to fill the league \"" + league.value().name + "\" with the cartridge teams: " +
                filled.error());
  }
  outcome.created = true;
  outcome.message = "Created the league \"" + league.value().name + "\" in " + leagues.value().string() + " with the " +
                    std::to_string(outcome.teamCount) + " teams of the cartridge.";
  return outcome;
}

}  // namespace qgu::league

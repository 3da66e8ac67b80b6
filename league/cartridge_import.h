#pragma once
// The cartridge import around extraction and writing: loading an image with
// the messages the import shows when it cannot, and the whole import without
// dialogs for scripts that build leagues from many images.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "league/cartridge_teams.h"
#include "league/result.h"

namespace qgu::league {

struct LoadedCartridge {
  std::optional<CartridgeTeams> teams;  // nothing when the image was refused
  std::vector<std::string> messages;    // what to show, in order, when refused
};

// Reads, checks and extracts. A refused image gives its reason
// (kRomNotNesMessage or kRomNotRecognisedMessage; a file that cannot be read
// has none) followed by kRomLoadFailedMessage. Images too short for the
// offsets, or whose pointers lead outside them, are not recognised.
LoadedCartridge LoadCartridgeForImport(const std::filesystem::path& image);

enum class DuplicatePolicy { kReplace, kKeep };

// Called for every team file written, so the caller can add what goes beside it (its helmet picture).
using TeamWritten = std::function<void(const std::filesystem::path& teamFile, const TeamHeader& team)>;

// Calls `written` (when set) for each file of the report with the team line read back from it.
void AnnounceWrittenTeams(const ImportReport& report, const TeamWritten& written);

struct ScriptedImport {
  std::filesystem::path base;   // holds (or will hold) qgu_lge; made when missing
  std::filesystem::path image;
  std::string league;           // created when no league of that name exists
  std::vector<int> teams;       // cartridge indices 0..27; empty: all 28
  DuplicatePolicy duplicates = DuplicatePolicy::kReplace;
  TeamWritten written;          // optional
};

struct ScriptedImportOutcome {
  std::filesystem::path leagueFolder;
  bool leagueCreated = false;
  ImportReport report;
};

// The import without dialogs. Errors: the load's messages (one per line), an
// unusable league name or folder, a team index outside 0..27.
Result<ScriptedImportOutcome> RunScriptedImport(const ScriptedImport& request);

// "all" or indices separated by commas ("0,3,7"); nothing for anything else.
std::optional<std::vector<int>> ParseTeamSelection(std::string_view text);

}  // namespace qgu::league

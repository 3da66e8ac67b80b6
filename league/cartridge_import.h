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
// (kRomNotNesMessage or kRomNotRecognisedMessage) followed by
// kRomLoadFailedMessage; a file that cannot be read gives
// kRomLoadFailedMessage with the reason on its second line. Images too short for the
// offsets, or whose pointers lead outside them, are not recognised.
LoadedCartridge LoadCartridgeForImport(const std::filesystem::path& image);

enum class DuplicatePolicy { kReplace, kKeep };

// Writes what goes beside each team file written (its helmet picture), while
// the league is locked; a failure is reported with the import's failures.
using TeamWritten = TeamPicture;

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
  std::vector<std::string> notes;  // what was done besides (an empty folder made a league)
};

// The import without dialogs. The league name is compared trimmed. Errors:
// the load's messages (one per line), an unusable league name or folder, a
// team index outside 0..27.
Result<ScriptedImportOutcome> RunScriptedImport(const ScriptedImport& request);

// "all" or indices separated by commas ("0,3,7"); nothing for anything else.
std::optional<std::vector<int>> ParseTeamSelection(std::string_view text);

}  // namespace qgu::league

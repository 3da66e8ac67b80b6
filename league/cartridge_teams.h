#pragma once
// The 28 teams of a football cartridge image as team records: the import's
// extraction, and the import's writing of chosen teams into a league folder.
//
// The image is read through its own pointers (player name tables, text
// pointer tables), every one bounds-checked: an image whose pointers lead
// outside it is refused as not this game, and nothing is ever read past its end.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "league/cartridge_layout.h"
#include "league/league_folders.h"
#include "league/league_writer.h"
#include "league/result.h"
#include "league/team_record.h"

namespace qgu::league {

// Texts of the import (title "qgultra").
inline constexpr std::string_view kImportTitle = "qgultra";
inline constexpr std::string_view kRomNotNesMessage = "Rom is not valid NES Rom!";
inline constexpr std::string_view kRomNotRecognisedMessage = "Unable to recognize rom as NES Quozi Gridcrown!";
inline constexpr std::string_view kRomLoadFailedMessage =
    "Unable to load rom. Make sure it is not opened by another program";
inline constexpr std::string_view kNoTeamsSelectedMessage = "There are no teams selected to import";
inline constexpr std::string_view kSelectLeagueMessage = "Please Select a League to add the imported teams";
inline constexpr std::string_view kImportSucceededMessage = "Succesfully imported teams from rom.";

// One cartridge team: header fields 0..15 and the 30 players, plus where the
// image keeps them (file offsets, header included).
struct CartridgeTeam {
  TeamRecord record;
  size_t playerTableOffset = 0;
  size_t abbreviationOffset = 0;
  size_t cityOffset = 0;
  size_t nicknameOffset = 0;
  std::array<size_t, kPlayerCount> entryOffsets{};  // index = roster index
};

using CartridgeTeams = std::array<CartridgeTeam, cartridge::kTeamCount>;

// Far larger than any cartridge image of the console.
inline constexpr size_t kMaxCartridgeFileBytes = 16 << 20;

// The whole file. A file that cannot be read (missing, a folder, a device, a
// pipe, one larger than kMaxCartridgeFileBytes) gives kRomLoadFailedMessage
// with the reason on a second line.
Result<std::vector<uint8_t>> ReadCartridgeFile(const std::filesystem::path& path);

// The load's two checks: "NES" at the start (else kRomNotNesMessage) and the
// game check "ZEMRATH" at 0x3C139 (else, or when the image is too short for
// it, kRomNotRecognisedMessage).
Status CheckCartridgeImage(std::span<const uint8_t> image);

// The checks above, then all 28 teams. A pointer leading outside the image,
// or a last player entry with no closing 0xFF, refuses the image with
// kRomNotRecognisedMessage. Texts stop at a zero byte, are cut to what a team
// record holds (63 characters), and carry a blank for any byte that would
// break a record line (0x01, CR, LF).
Result<CartridgeTeams> ExtractCartridgeTeams(std::span<const uint8_t> image);

// Whether extracted teams can make a league: every team has its city,
// nickname and abbreviation, and every player a name. The error names the
// first team (and player) that has not.
Status CheckTeamsWhole(const CartridgeTeams& teams);

// Asked once for every existing team that an incoming team duplicates (same
// city, nickname and abbreviation); true is "Yes, overwrite".
using OverwriteQuestion = std::function<bool(const TeamHeader& incoming, const TeamListEntry& existing)>;

struct ImportReport {
  std::vector<std::filesystem::path> written;   // in cartridge order
  std::vector<std::filesystem::path> replaced;  // old files of teams written again (now gone or rewritten)
  std::vector<int> kept;                        // cartridge indices left out: the user kept the old team
  std::vector<std::string> failures;            // what could not be written (teams, pictures); old files stay
  std::vector<std::string> leftovers;           // leftovers of cut-short writes that were removed
};

// Writes the selected cartridge teams (indices 0..27, any order; written in
// ascending order, each once) into a league folder as 16-field team records
// under the naming rule, each with its picture when `picture` is given.
// Duplicates are looked for among the files that were there before the
// import; the answer for a team's last duplicate decides whether it is
// written. The questions are asked before the folder is locked; the writing
// then lists the league again under its lock (another writer may have been
// at work) and asks only about duplicates that were not there before. A team
// answered "Yes" takes its old file's place in one rename and then the lowest
// free name (LeagueWriter::ReplaceTeam). Fails only when the league folder
// cannot be listed or locked.
Result<ImportReport> WriteCartridgeTeams(const std::filesystem::path& leagueFolder, const CartridgeTeams& teams,
                                         std::vector<int> selection, const OverwriteQuestion& overwrite,
                                         const TeamPicture& picture = {});

}  // namespace qgu::league

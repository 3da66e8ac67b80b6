#pragma once
// The season's two files and the lock a run holds while it writes the
// journal. Shared by the store, the players and the result files.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "season/json.h"
#include "season/season.h"

namespace qgu::season {

inline constexpr std::string_view kTornFileName = "journal.torn";
inline constexpr std::string_view kLockFileName = "lock";
inline constexpr int kDefinitionFormat = 1;

// 16 hex digits (FNV-1a, 64 bits) of a file's bytes.
base::Result<std::string> HashOfFile(const std::filesystem::path& path);
std::string HashOfText(std::string_view bytes);

std::filesystem::path SeasonFolder(const std::filesystem::path& leagueFolder, std::string_view name);
std::filesystem::path TeamPath(const Season& season, int team);

json::Value DefinitionJson(const SeasonDefinition& definition);
base::Result<SeasonDefinition> DefinitionFromJson(const json::Value& value);

// One journal line (no line end), and back. Team indices travel as file names.
std::string GameLine(const SeasonDefinition& definition, const GameRecord& game);
base::Result<GameRecord> GameFromJson(const SeasonDefinition& definition, const json::Value& value);

// Whether the id names a game of this season (a regular game or a playoff slot).
bool IsSeasonGameId(const SeasonDefinition& definition, int id);

// Held while a run appends to the journal: one writer per season at a time.
class CSeasonLock {
 public:
  static base::Result<CSeasonLock> Take(const std::filesystem::path& folder);
  CSeasonLock(CSeasonLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  CSeasonLock& operator=(CSeasonLock&&) = delete;
  CSeasonLock(const CSeasonLock&) = delete;
  ~CSeasonLock();

 private:
  explicit CSeasonLock(int fd) : fd_(fd) {}
  int fd_;
};

// Opens the journal for appending. A torn last line (no line end) is first
// moved into journal.torn and cut off, so the next line starts cleanly.
class CJournalWriter {
 public:
  static base::Result<CJournalWriter> Open(const std::filesystem::path& folder);
  CJournalWriter(CJournalWriter&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  CJournalWriter& operator=(CJournalWriter&&) = delete;
  CJournalWriter(const CJournalWriter&) = delete;
  ~CJournalWriter();

  // Writes the line and its LF and syncs them to disk before returning.
  base::Status Append(std::string_view line);

 private:
  explicit CJournalWriter(int fd) : fd_(fd) {}
  int fd_;
};

// Appends one finished game to an open season (lock held by the caller) and
// to its in-memory journal. Refuses a game id already recorded.
base::Status AppendGame(Season& season, CJournalWriter& writer, const GameRecord& game);

}  // namespace qgu::season

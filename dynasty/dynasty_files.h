#pragma once
// Inside the dynasty library: where its files lie, and the writes every step
// makes (a whole file first, then its journal line).

#include <filesystem>
#include <string_view>

#include "base/result.h"
#include "dynasty/dynasty.h"
#include "season/json.h"

namespace qgu::dynasty {

std::filesystem::path RegistryPath(const Dynasty& dynasty, int year);
std::filesystem::path StepPath(const Dynasty& dynasty, int year, std::string_view step);
std::filesystem::path HistoryFolder(const Dynasty& dynasty, int year);

// The file in place whole (a temporary file beside it renamed over it).
base::Status WriteStateFile(const std::filesystem::path& path, const season::json::Value& value);
base::Result<season::json::Value> ReadStateFile(const std::filesystem::path& path);
// The step's line appended to the journal and synced; then it counts as done.
base::Status JournalStep(Dynasty& dynasty, int year, std::string_view step);

// Every team file of the rosters written through the league's writer.
base::Status WriteRosters(const Dynasty& dynasty, const Rosters& rosters);
// The year's season made in the dynasty's league (or taken as a cut-short run made it).
base::Status MakeSeason(Dynasty& dynasty, int year);
// The league's team files as they are, copied read-only into history/YEAR.
base::Status KeepHistory(const Dynasty& dynasty, int year);

}  // namespace qgu::dynasty

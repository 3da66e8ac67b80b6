#pragma once
// The helmet picture every imported team gets beside its record file (same
// name, ".bmp"), drawn from its uniform colours, so the game window shows a
// helmet for every team.

#include <filesystem>

#include "league/result.h"
#include "league/team_record.h"

namespace qgu::toolserver {

// Writes the picture whole (through a temporary file) at the path's own
// bytes; a failure says which picture and why, for the import to report.
league::Status WriteImportHelmet(const std::filesystem::path& teamFile, const league::TeamHeader& team);

}  // namespace qgu::toolserver

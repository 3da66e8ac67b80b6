#pragma once
// The helmet picture every imported team gets beside its record file (same
// name, ".bmp"), drawn from its uniform colours, so the game window shows a
// helmet for every team.

#include <filesystem>

#include "league/team_record.h"

namespace qgu::toolserver {

// Never fails the import: a helmet that cannot be written is left out.
void WriteImportHelmet(const std::filesystem::path& teamFile, const league::TeamHeader& team);

}  // namespace qgu::toolserver

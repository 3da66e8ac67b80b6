#pragma once
// The fuzz targets' cartridge: the project's 28 teams placed by the image
// builder into a stand-in program image, made once per process.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/file_read.h"
#include "cartridge/builder/image_builder.h"
#include "cartridge/builder/team_source.h"

namespace qgu::fuzz {

inline const std::vector<uint8_t>& CartridgeBaseImage() {
  static const std::vector<uint8_t> image = [] {
    const auto text = base::ReadFileText(QGU_CARTRIDGE_TEAMS, 1 << 20);
    if (!text) {
      std::fprintf(stderr, "%s\n", text.error().c_str());
      std::abort();
    }
    const cartridge::TeamSourceResult source = cartridge::ParseTeamSource(text.value(), QGU_CARTRIDGE_TEAMS);
    cartridge::BuildResult built = cartridge::BuildCartridgeImage(cartridge::MakeStandInProgramImage(), source.teams);
    if (!source.errors.empty() || !built.errors.empty()) std::abort();
    return built.image;
  }();
  return image;
}

}  // namespace qgu::fuzz

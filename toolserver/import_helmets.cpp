#include "toolserver/import_helmets.h"

#include "frontend/helmet_picture.h"
#include "host/nes_palette.h"

namespace qgu::toolserver {

void WriteImportHelmet(const std::filesystem::path& teamFile, const league::TeamHeader& team) {
  const auto colourOf = [](int index) {
    const host::RgbColor colour = host::NesColor(host::DefaultNesPalette(), static_cast<uint8_t>(index));
    return qRgb(colour.red, colour.green, colour.blue);
  };
  (void)frontend::WriteHelmetPicture(teamFile, team, colourOf);
}

}  // namespace qgu::toolserver

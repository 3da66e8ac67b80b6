#include "toolserver/import_helmets.h"

#include <QBuffer>
#include <QByteArray>
#include <string_view>

#include "base/file_write.h"
#include "frontend/helmet_picture.h"
#include "host/nes_palette.h"
#include "league/league_writer.h"

namespace qgu::toolserver {

league::Status WriteImportHelmet(const std::filesystem::path& teamFile, const league::TeamHeader& team) {
  const auto colourOf = [](int index) {
    const host::RgbColor colour = host::NesColor(host::DefaultNesPalette(), static_cast<uint8_t>(index));
    return qRgb(colour.red, colour.green, colour.blue);
  };
  const std::filesystem::path target = league::PicturePathFor(teamFile);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !frontend::DrawHelmetPicture(team, colourOf).save(&buffer, "BMP")) {
    return league::Fail("Unable to draw the helmet picture " + target.string());
  }
  if (league::Status written = base::ReplaceFile(target, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
      !written) {
    return league::Fail("The helmet picture was not written: " + written.error());
  }
  return {};
}

}  // namespace qgu::toolserver

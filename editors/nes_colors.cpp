#include "editors/nes_colors.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/file_read.h"
#include "base/text.h"
#include "frontend/message_box.h"

namespace qgu::editors {
namespace {

namespace fs = std::filesystem;

constexpr std::array<uint32_t, base::kNesColorCount> kBuiltInHex = {
    0x7F7F7F, 0x0000FF, 0x0000BF, 0x472BBF, 0x970087, 0xAB0023, 0xAB1300, 0x8B1700,
    0x533000, 0x007800, 0x006B00, 0x005B00, 0x004358, 0x000000, 0x000000, 0x000000,
    0xBFBFBF, 0x0078F8, 0x0058F8, 0x6B47FF, 0xDB00CD, 0xE7005B, 0xF83800, 0xE75F13,
    0xAF7F00, 0x00B800, 0x00AB00, 0x00AB47, 0x008B8B, 0x000000, 0x000000, 0x000000,
    0xF8F8F8, 0x3FBFFF, 0x9878F8, 0x6B88FF, 0xF878F8, 0xF85898, 0xF87858, 0xFFA347,
    0xF8B800, 0xB8F818, 0x5BDB57, 0x58F898, 0x00EBDB, 0x787878, 0x000000, 0x000000,
    0xFFFFFF, 0xA7E7FF, 0xB8B8F8, 0xD8B8F8, 0xF8B8F8, 0xFBA7C3, 0xF0D0B0, 0xFFE3AB,
    0xFBDB7B, 0xD8F878, 0xB8F8B8, 0xB8F8D8, 0x00FFFF, 0xF8D8F8, 0x000000, 0x000000,
};

constexpr NesColorTable kBuiltIn = [] {
  NesColorTable table{};
  for (size_t i = 0; i < table.size(); ++i) table[i] = base::RgbFromHex(kBuiltInHex[i]);
  return table;
}();

constexpr size_t kFileNameColumn = 12;  // the name starts at the 13th character
constexpr size_t kPaletteBytes = base::kNesColorCount * 3;
// An emulator's settings file is a few kilobytes; a larger one is no such file.
constexpr size_t kMaxIniBytes = 1 << 20;

// A file that is not there is no error; one that is there but cannot be read
// (a folder, a device, a pipe, too large) is, and is never waited on.
bool Missing(const fs::path& path) {
  std::error_code error;
  return fs::status(path, error).type() == fs::file_type::not_found;
}

// The palette file the ini names, or nothing. Lines may end in LF, CR LF or CR CR LF.
std::optional<std::string> PaletteFileName(std::string_view ini) {
  bool inUse = false;
  while (!ini.empty()) {
    const size_t end = std::min(ini.find('\n'), ini.size());
    std::string_view line = ini.substr(0, end);
    ini.remove_prefix(std::min(end + 1, ini.size()));
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == "PaletteUse=1") {
      inUse = true;
    } else if (inUse && line.starts_with("PaletteFile")) {
      return std::string(base::Trim(line.size() > kFileNameColumn ? line.substr(kFileNameColumn) : "", " \t"));
    }
  }
  return std::nullopt;
}

// Byte by byte over the table: a short file leaves the rest as it was.
void ApplyPaletteBytes(const std::vector<uint8_t>& bytes, NesColorTable& colours) {
  size_t at = 0;
  for (base::RgbColor& colour : colours) {
    for (uint8_t* component : {&colour.red, &colour.green, &colour.blue}) {
      if (at == bytes.size()) return;
      *component = bytes[at++];
    }
  }
}

}  // namespace

const NesColorTable& BuiltInNesColors() { return kBuiltIn; }

LoadedNesColors LoadNesColors(const fs::path& folder) {
  LoadedNesColors loaded{kBuiltIn, false};
  const fs::path iniPath = folder / kPaletteIniName;
  if (Missing(iniPath)) return loaded;
  const base::Result<std::string> ini = base::ReadFileText(iniPath, kMaxIniBytes);
  if (!ini) {
    loaded.readError = true;
    return loaded;
  }
  const std::optional<std::string> name = PaletteFileName(ini.value());
  if (!name || name->empty() || Missing(folder / *name)) return loaded;
  const base::Result<std::vector<uint8_t>> palette = base::ReadFileStart(folder / *name, kPaletteBytes);
  if (!palette) {
    loaded.readError = true;
    return loaded;
  }
  ApplyPaletteBytes(palette.value(), loaded.colours);
  return loaded;
}

QRgb NesColorToRgb(int index) {
  static const NesColorTable table = [] {
    std::error_code error;
    const LoadedNesColors loaded = LoadNesColors(fs::current_path(error));
    if (loaded.readError) frontend::ShowMessage(nullptr, kPaletteErrorTitle, kPaletteErrorMessage);
    return loaded.colours;
  }();
  const base::RgbColor colour = base::NesColor(table, static_cast<uint8_t>(index));
  return qRgb(colour.red, colour.green, colour.blue);
}

}  // namespace qgu::editors

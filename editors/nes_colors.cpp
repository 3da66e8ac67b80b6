#include "editors/nes_colors.h"

#include <fstream>
#include <optional>
#include <string>
#include <system_error>

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

enum class Opened { kMissing, kOpen, kFailed };

// A file that is not there is no error; one that is there but cannot be read is.
Opened Open(const fs::path& path, std::ifstream& in) {
  std::error_code error;
  if (!fs::exists(path, error)) return error ? Opened::kFailed : Opened::kMissing;
  if (fs::is_directory(path, error)) return Opened::kFailed;
  in.open(path, std::ios::binary);
  return in ? Opened::kOpen : Opened::kFailed;
}

// The palette file the ini names, or nothing. Sets failed on a read error.
std::optional<std::string> PaletteFileName(std::ifstream& ini, bool& failed) {
  bool inUse = false;
  std::string line;
  while (std::getline(ini, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "PaletteUse=1") {
      inUse = true;
    } else if (inUse && line.starts_with("PaletteFile")) {
      return std::string(base::Trim(line.size() > kFileNameColumn ? std::string_view(line).substr(kFileNameColumn) : "", " \t"));
    }
  }
  failed = ini.bad();
  return std::nullopt;
}

// One byte at a time over the table: a short file leaves the rest as it was.
void ReadPaletteBytes(std::ifstream& file, NesColorTable& colours, bool& failed) {
  for (base::RgbColor& colour : colours) {
    for (uint8_t* component : {&colour.red, &colour.green, &colour.blue}) {
      const int byte = file.get();
      if (byte == std::char_traits<char>::eof()) {
        failed = file.bad();
        return;
      }
      *component = static_cast<uint8_t>(byte);
    }
  }
}

}  // namespace

const NesColorTable& BuiltInNesColors() { return kBuiltIn; }

LoadedNesColors LoadNesColors(const fs::path& folder) {
  LoadedNesColors loaded{kBuiltIn, false};
  std::ifstream ini;
  switch (Open(folder / kPaletteIniName, ini)) {
    case Opened::kMissing: return loaded;
    case Opened::kFailed: loaded.readError = true; return loaded;
    case Opened::kOpen: break;
  }
  const std::optional<std::string> name = PaletteFileName(ini, loaded.readError);
  if (!name || name->empty()) return loaded;
  std::ifstream palette;
  switch (Open(folder / *name, palette)) {
    case Opened::kMissing: return loaded;
    case Opened::kFailed: loaded.readError = true; return loaded;
    case Opened::kOpen: break;
  }
  ReadPaletteBytes(palette, loaded.colours, loaded.readError);
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

#pragma once
// NES palette index -> screen colour for every colour the editors show.
//
// The built-in table can be replaced by the palette file that "ParvaLune.ini"
// in the working folder names: after a line "PaletteUse=1", the first line
// starting with "PaletteFile" gives the file (text from its 13th character,
// blanks trimmed). The file holds red, green, blue per entry, entry 0 first;
// a file shorter than 192 bytes leaves the rest of the table as it was.

#include <QRgb>
#include <filesystem>

#include "base/rgb_color.h"

namespace qgu::editors {

using NesColorTable = base::NesPalette;

inline constexpr const char* kPaletteIniName = "ParvaLune.ini";
inline constexpr const char* kPaletteErrorTitle = "qgultra";
inline constexpr const char* kPaletteErrorMessage =
    "Quozi Gridcrown Ultra Parvlaune.ini file is incorrect, pallete may be corrupt !";

const NesColorTable& BuiltInNesColors();

struct LoadedNesColors {
  NesColorTable colours;
  bool readError = false;  // a file was there but could not be read; the table holds what was read
};

// The table as the ini file in `folder` (and the palette file it names,
// relative to `folder`) make it. Missing files are no error.
LoadedNesColors LoadNesColors(const std::filesystem::path& folder);

// The process's lookup: on the first call the table is loaded from the
// working folder (a read error is shown once); only the low six bits of the
// index count, as on the console.
QRgb NesColorToRgb(int index);

}  // namespace qgu::editors

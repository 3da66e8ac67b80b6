#pragma once
// A team's helmet, drawn by the program from the team's uniform colours: the
// shell in the primary pants/helmet colour, a crown stripe in the primary
// jersey colour, the face mask in the secondary pants/helmet colour and a
// round badge in the secondary jersey colour carrying the abbreviation's first
// letter. The picture is saved beside the team record file (same name, ending
// ".bmp"), where the game window's helmet control looks for it.
//
// Colours are NES palette indices; each program turns them into screen colours
// with its own palette, so the caller passes the lookup.

#include <QImage>
#include <QRgb>
#include <QSize>
#include <filesystem>
#include <functional>

#include "league/result.h"
#include "league/team_record.h"

namespace qgu::frontend {

// The screen colour of an NES palette index (0..63).
using NesColourLookup = std::function<QRgb(int paletteIndex)>;

inline constexpr QSize kHelmetPictureSize{160, 120};

// The helmet on black, facing right.
QImage DrawHelmetPicture(const league::TeamHeader& team, const NesColourLookup& colourOf,
                         QSize size = kHelmetPictureSize);

// The record path with its last three characters replaced by "bmp", as the
// game setup forms the helmet path (TEAM0.dat -> TEAM0.bmp).
std::filesystem::path HelmetPicturePath(const std::filesystem::path& teamRecordPath);

// Draws the helmet and writes it to HelmetPicturePath(teamRecordPath) as a BMP
// file, replacing an older picture only once the new one is complete.
league::Status WriteHelmetPicture(const std::filesystem::path& teamRecordPath, const league::TeamHeader& team,
                                  const NesColourLookup& colourOf);

}  // namespace qgu::frontend

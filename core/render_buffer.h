#pragma once
// The picture unit's output, which the host shows and saves: 240 lines of 272
// palette values, the visible 256 pixels of a line starting at byte 8 (the
// margins take the pixels a fine scroll pushes off either edge).

namespace qgu::core {

inline constexpr int kRenderLineBytes = 272;
inline constexpr int kRenderLines = 240;
inline constexpr int kRenderFirstPixel = 8;
inline constexpr int kRenderWidth = 256;
inline constexpr int kRenderBufferBytes = kRenderLineBytes * kRenderLines;

}  // namespace qgu::core

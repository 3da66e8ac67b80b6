#include "core/ppu/picture_unit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "core/cpu/cpu.h"
#include "core/machine.h"
#include "core/mappers/mapper.h"
#include "core/memory_map.h"

namespace qgu::core {
namespace {

enum Register : int { kControl = 0, kMask = 1, kStatus = 2, kSpriteAddress = 3 };

enum ControlBit : uint8_t {
  kIncrement32 = 0x04,
  kSpritePatterns1000 = 0x08,
  kBackgroundPatterns1000 = 0x10,
  kTallSprites = 0x20,
  kNmiEnable = 0x80,
};

enum MaskBit : uint8_t {
  kShowBackgroundLeft = 0x02,
  kShowSpritesLeft = 0x04,
  kShowBackground = 0x08,
  kShowSprites = 0x10,
  kRenderingOn = kShowBackground | kShowSprites,
};

enum StatusBit : uint8_t { kSpriteOverflow = 0x20, kSprite0Hit = 0x40, kVerticalBlank = 0x80 };

constexpr int kSpriteCount = 64;
constexpr int kSpritesPerLine = 8;
// Tile mode: the CPU time of a line's drawing part, spent in 32 equal slices
// between the tile fetches.
constexpr int kLineCpuCycles = kNtscTiming.drawCycles;
constexpr int kTileCpuCycles = kLineCpuCycles / 32;

constexpr std::array<uint8_t, 256> BuildBitReversal() {
  std::array<uint8_t, 256> table{};
  for (int n = 0; n < 256; ++n) {
    int reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
      if (n & (1 << bit)) reversed |= 0x80 >> bit;
    table[n] = static_cast<uint8_t>(reversed);
  }
  return table;
}

// Eight pixels are handled as one 64-bit word, pixel i in byte i: stored
// little-endian, pixel 0 lands leftmost.
static_assert(std::endian::native == std::endian::little, "pixel words assume little-endian stores");
constexpr uint64_t kEveryByte = 0x0101010101010101ull;

// One pattern plane (bit 7 = leftmost pixel) as a byte mask: byte i is 0xFF
// when the plane's bit for pixel i is set.
constexpr std::array<uint64_t, 256> BuildPixelBytes() {
  std::array<uint64_t, 256> table{};
  for (int n = 0; n < 256; ++n) {
    uint64_t bytes = 0;
    for (int pixel = 0; pixel < 8; ++pixel)
      if (n & (0x80 >> pixel)) bytes |= uint64_t{0xFF} << (8 * pixel);
    table[n] = bytes;
  }
  return table;
}

constexpr std::array<uint8_t, 256> kBitReversal = BuildBitReversal();
constexpr std::array<uint64_t, 256> kPixelBytes = BuildPixelBytes();

// Eight palette values at once: colour c of each pixel selects group[c], each
// entry of `group` being one palette value repeated in all eight bytes.
inline uint64_t PaletteBytes(const uint64_t* group, uint64_t low, uint64_t high) {
  return (group[0] & ~(low | high)) | (group[1] & low & ~high) | (group[2] & ~low & high) | (group[3] & low & high);
}

// Row `row` of a sprite is on `line` when 0 <= row < height.
inline int SpriteRow(int line, const uint8_t* sprite) { return line - sprite[0] - 1; }

// v after the background's fetches have moved it `tiles` tiles across: coarse
// x counts on, and each wrap past column 31 switches to the next name table
// across (as many as 33 tiles: at most two wraps).
inline uint16_t AfterTiles(uint16_t v, int tiles) {
  const int columns = (v & 0x1F) + tiles;
  const int wraps = columns >> 5;
  return static_cast<uint16_t>((v & ~0x41F) | (columns & 0x1F) | ((v ^ (wraps << 10)) & 0x400));
}

}  // namespace

CPictureUnit::CPictureUnit(CMachine& machine) : machine_(machine) {}
CPictureUnit::~CPictureUnit() = default;

CMemoryMap& CPictureUnit::Memory() const { return machine_.Memory(); }

void CPictureUnit::Reset() {
  state_.registers[kControl] = 0;
  state_.registers[kMask] = 0;
  state_.toggle = 0;
  state_.readBuffer = 0xFF;
  state_.t = 0;
  state_.v = 0;
  state_.fineX = 0;
  fineY_ = 0;
  shift_ = 0;
  spriteLinesKnown_ = false;
  if (screen_ != nullptr) std::memset(screen_, 0x3F, kRenderBufferBytes);
}

void CPictureUnit::SetScreenBuffer(uint8_t* buffer) { screen_ = buffer; }

// ---------------------------------------------------------------- registers

uint8_t CPictureUnit::ReadRegister(uint16_t address) {
  CMemoryMap& memory = Memory();
  switch (address & 7) {
    case 2: {
      const uint8_t status = state_.registers[kStatus];
      state_.toggle = 0;
      state_.registers[kStatus] = status & ~kVerticalBlank;
      return status;
    }
    case 4:
      return memory.spriteRam[state_.registers[kSpriteAddress]++];
    case 7:
      return ReadVideoMemory();
    default:
      return state_.readBuffer;
  }
}

void CPictureUnit::WriteRegister(uint16_t address, uint8_t data) {
  CMemoryMap& memory = Memory();
  switch (address & 7) {
    case 0: {
      state_.t = static_cast<uint16_t>((state_.t & 0xF3FF) | ((data & 3) << 10));
      const uint8_t old = state_.registers[kControl];
      if ((data & kNmiEnable) && !(old & kNmiEnable) && (state_.registers[kStatus] & kVerticalBlank)) {
        // The NMI follows the next instruction, as on the console. That
        // instruction may be another such write: it raises the NMI without
        // running a further one, so a chain of writes cannot nest deeper.
        if (!runningInstructionBeforeNmi_) {
          runningInstructionBeforeNmi_ = true;
          machine_.Cpu().Execute(1);
          runningInstructionBeforeNmi_ = false;
        }
        machine_.Cpu().RaiseNmi();
      }
      state_.registers[kControl] = data;
      break;
    }
    case 1:
      state_.registers[kMask] = data;
      break;
    case 2:
      break;
    case 3:
      state_.registers[kSpriteAddress] = data;
      break;
    case 4:
      memory.spriteRam[state_.registers[kSpriteAddress]++] = data;
      spriteLinesKnown_ = false;
      break;
    case 5:
      if (state_.toggle == 0) {
        state_.t = static_cast<uint16_t>((state_.t & 0xFFE0) | (data >> 3));
        state_.fineX = data & 7;
      } else {
        state_.t = static_cast<uint16_t>((state_.t & 0xFC1F) | ((data & 0xF8) << 2));
        state_.t = static_cast<uint16_t>((state_.t & 0x8FFF) | ((data & 7) << 12));
      }
      state_.toggle ^= 1;
      break;
    case 6:
      if (state_.toggle == 0) {
        state_.t = static_cast<uint16_t>((state_.t & 0x00FF) | ((data & 0x3F) << 8));
      } else {
        state_.t = static_cast<uint16_t>((state_.t & 0xFF00) | data);
        state_.v = state_.t;
        LatchPatternAddress(state_.v);
      }
      state_.toggle ^= 1;
      break;
    case 7:
      WriteVideoMemory(data);
      break;
  }
}

void CPictureUnit::StepAddress() {
  state_.v = static_cast<uint16_t>(state_.v + ((state_.registers[kControl] & kIncrement32) ? 32 : 1));
}

uint8_t CPictureUnit::ReadVideoMemory() {
  CMemoryMap& memory = Memory();
  uint16_t address = state_.v & 0x3FFF;
  const uint8_t buffered = state_.readBuffer;
  StepAddress();
  if (address >= 0x3F00) {
    const uint8_t* palette = (address & 0x10) ? memory.spritePalette : memory.backgroundPalette;
    return palette[address & 15];
  }
  if (address >= 0x3000) address &= 0x2FFF;
  state_.readBuffer = memory.ppuPage[address >> 10][address & 0x3FF];
  return buffered;
}

void CPictureUnit::WriteVideoMemory(uint8_t data) {
  CMemoryMap& memory = Memory();
  uint16_t address = state_.v & 0x3FFF;
  StepAddress();
  if (address >= 0x3F00) {
    WritePalette(address, data);
    return;
  }
  if (address >= 0x3000) address &= 0xEFFF;
  const int page = address >> 10;
  if (memory.ppuPageType[page] != kPpuCharacterRom) memory.ppuPage[page][address & 0x3FF] = data;
}

void CPictureUnit::WritePalette(uint16_t address, uint8_t data) {
  CMemoryMap& memory = Memory();
  data &= 0x3F;
  const int index = address & 15;
  if (index == 0) {
    memory.backgroundPalette[0] = data;
    memory.spritePalette[0] = data;
  } else {
    ((address & 0x10) ? memory.spritePalette : memory.backgroundPalette)[index] = data;
  }
  // Colour 0 of every group is the backdrop.
  const uint8_t backdrop = memory.backgroundPalette[0];
  for (int group = 4; group < 16; group += 4) memory.backgroundPalette[group] = backdrop;
  for (int group = 0; group < 16; group += 4) memory.spritePalette[group] = backdrop;
}

void CPictureUnit::SpriteDma(uint8_t page) {
  CMemoryMap& memory = Memory();
  const uint16_t base = static_cast<uint16_t>(page << 8);
  for (int i = 0; i < 256; ++i) memory.spriteRam[i] = machine_.CpuRead(static_cast<uint16_t>(base + i));
  spriteLinesKnown_ = false;
}

// ---------------------------------------------------------- line operations

bool CPictureUnit::Sprite0Possible(int line) const {
  const CMemoryMap& memory = Memory();
  if ((state_.registers[kMask] & kRenderingOn) != kRenderingOn) return false;
  if (state_.registers[kStatus] & kSprite0Hit) return false;
  const int row = SpriteRow(line, memory.spriteRam);
  return row >= 0 && row < SpriteHeight();
}

void CPictureUnit::CountSpriteLines() {
  const int height = SpriteHeight();
  const uint8_t* sprites = Memory().spriteRam;
  // Where each sprite starts and stops covering lines, then a running sum.
  int starts[kRenderLines + 1] = {};
  onScreenSprites_ = 0;
  for (int i = 0; i < kSpriteCount; ++i) {
    const int top = sprites[4 * i] + 1;
    if (top >= kRenderLines) continue;
    onScreenSprite_[onScreenSprites_++] = static_cast<uint8_t>(i);
    ++starts[top];
    --starts[std::min(top + height, kRenderLines)];
  }
  for (int line = 0, covering = 0; line < kRenderLines; ++line) {
    covering += starts[line];
    spriteLineFlags_[line] = static_cast<uint8_t>((covering >= kSpritesPerLine ? kManySprites : 0) |
                                                  (covering > 0 ? kAnySprite : 0));
  }
  const int sprite0Top = sprites[0] + 1;
  for (int line = sprite0Top; line < std::min(sprite0Top + height, kRenderLines); ++line) {
    spriteLineFlags_[line] |= kSprite0OnLine;
  }
  spriteLinesKnown_ = true;
  spriteLinesHeight_ = height;
}

void CPictureUnit::DummyLine(int line) {
  state_.registers[kStatus] &= ~kSpriteOverflow;
  if (!(state_.registers[kMask] & kShowSprites) || line < 0 || line >= kRenderLines) return;
  if (SpriteLineFlags(line) & kManySprites) state_.registers[kStatus] |= kSpriteOverflow;
}

// ------------------------------------------------------------- line renderer

void CPictureUnit::RenderLine(int line, bool noSpriteLimit, bool clipLeft) {
  CMemoryMap& memory = Memory();
  uint8_t* pixels = screen_ != nullptr && scanline_ >= 0 && scanline_ < kRenderLines
                        ? screen_ + kRenderLineBytes * scanline_
                        : spareLine_;
  const bool tileMode = machine_.RenderMethod() == kTileRenderMethod;
  if (state_.registers[kMask] & kShowBackground) {
    if (tileMode) {
      DrawBackground<true>(pixels);
    } else {
      DrawBackground<false>(pixels);
    }
    if (clipLeft && !(state_.registers[kMask] & kShowBackgroundLeft)) {
      std::memset(pixels + kRenderFirstPixel, memory.backgroundPalette[0], 8);
      backgroundMask_[0] = 0;
    }
  } else {
    ClearBackground(pixels);
    if (tileMode) machine_.RunCpu(kLineCpuCycles);
  }
  DrawSprites(line, noSpriteLimit, clipLeft, pixels);
}

void CPictureUnit::ClearBackground(uint8_t* line) {
  std::memset(line, Memory().backgroundPalette[0], kRenderLineBytes);
  std::memset(backgroundMask_, 0, sizeof backgroundMask_);
}

namespace {

// What the background needs of the machine's state, copied into locals so
// that the pixel stores cannot make the compiler reload it.
struct BackgroundState {
  // Per palette group, each value in all eight bytes: colour 0, colour 0 ^ 1,
  // colour 2, colour 2 ^ 3, for BackgroundBytes.
  uint64_t groups[4][4];
  const uint8_t* pages[12];
  int patternBase;

  BackgroundState(const CMemoryMap& memory, uint8_t control) {
    for (int group = 0; group < 4; ++group) {
      const uint8_t* colors = memory.backgroundPalette + 4 * group;
      groups[group][0] = colors[0] * kEveryByte;
      groups[group][1] = (colors[0] ^ colors[1]) * kEveryByte;
      groups[group][2] = colors[2] * kEveryByte;
      groups[group][3] = (colors[2] ^ colors[3]) * kEveryByte;
    }
    std::memcpy(pages, memory.ppuPage, sizeof pages);
    patternBase = (control & kBackgroundPatterns1000) ? 0x1000 : 0;
  }
};

// PaletteBytes for one group of BackgroundState: the low plane picks within
// colours 0/1 and 2/3, the high plane between the two, by masked XORs.
inline uint64_t BackgroundBytes(const uint64_t* group, uint64_t low, uint64_t high) {
  const uint64_t colors01 = group[0] ^ (group[1] & low);
  const uint64_t colors23 = group[2] ^ (group[3] & low);
  return colors01 ^ ((colors01 ^ colors23) & high);
}

// The name-table row and attribute row that v points into.
struct BackgroundRow {
  const uint8_t* tiles;
  const uint8_t* attributes;
  int attributeShift;

  BackgroundRow(const BackgroundState& state, uint16_t v) {
    const uint8_t* nameTable = state.pages[8 + ((v >> 10) & 3)];
    tiles = nameTable + (v & 0x3E0);
    attributes = nameTable + 0x3C0 + ((v >> 4) & 0x38);
    attributeShift = (v & 0x40) >> 4;
  }
};

}  // namespace

template <bool kTileMode>
void CPictureUnit::DrawBackground(uint8_t* line) {
  CMemoryMap& memory = Memory();
  BackgroundState state(memory, state_.registers[kControl]);
  uint16_t v = state_.v;
  BackgroundRow row(state, v);
  const int fineY = fineY_;
  uint8_t tileMasks[kMaskBytes] = {};
  int lastPattern = -1;
  int lastAttribute = -1;
  uint8_t* out = line + kRenderFirstPixel - shift_;

  for (int tile = 0; tile < kTilesPerLine; ++tile, out += 8) {
    if constexpr (kTileMode) {
      if (tile > 0) {
        // The CPU may move v, switch banks or pattern tables, or change
        // colours between two fetches.
        state_.v = v;
        machine_.RunCpu(kTileCpuCycles);
        state = BackgroundState(memory, state_.registers[kControl]);
        v = state_.v;
        row = BackgroundRow(state, v);
      }
    }
    const int coarseX = v & 0x1F;
    const int patternAddress = state.patternBase + row.tiles[coarseX] * 16 + fineY;
    const int attribute = (row.attributes[coarseX >> 2] >> (row.attributeShift | (coarseX & 2))) & 3;

    if (patternAddress == lastPattern && attribute == lastAttribute) {
      std::memcpy(out, out - 8, 8);
      tileMasks[tile] = tileMasks[tile - 1];
    } else {
      const uint8_t* pattern = state.pages[patternAddress >> 10] + (patternAddress & 0x3FF);
      const uint8_t low = pattern[0];
      const uint8_t high = pattern[8];
      const uint64_t pixels = BackgroundBytes(state.groups[attribute], kPixelBytes[low], kPixelBytes[high]);
      std::memcpy(out, &pixels, 8);
      tileMasks[tile] = low | high;
      lastPattern = patternAddress;
      lastAttribute = attribute;
    }

    if (coarseX == 0x1F) {
      v ^= 0x41F;  // coarse x wraps into the next name table across
      row = BackgroundRow(state, v);
    } else {
      ++v;
    }
  }
  state_.v = v;

  // Realign the tile masks to screen columns: the first tile starts fine x
  // pixels left of the screen. Eight columns at a time, as one big-endian
  // word shifted left by fine x, the ninth column's bits coming in.
  const int shift = shift_;
  for (int column = 0; column < 32; column += 8) {
    uint64_t word;
    std::memcpy(&word, tileMasks + column, 8);
    word = (__builtin_bswap64(word) << shift) | (tileMasks[column + 8] >> (8 - shift));
    word = __builtin_bswap64(word);
    std::memcpy(backgroundMask_ + column, &word, 8);
  }
  backgroundMask_[32] = 0;
  backgroundMask_[33] = 0;
}

uint8_t CPictureUnit::BackgroundTileMask(uint16_t v) const {
  const CMemoryMap& memory = Memory();
  const uint8_t* nameTable = memory.ppuPage[8 + ((v >> 10) & 3)];
  const int patternBase = (state_.registers[kControl] & kBackgroundPatterns1000) ? 0x1000 : 0;
  const int patternAddress = patternBase + nameTable[v & 0x3FF] * 16 + fineY_;
  const uint8_t* pattern = memory.ppuPage[patternAddress >> 10] + (patternAddress & 0x3FF);
  return pattern[0] | pattern[8];
}

// RenderLine's effects without its pixels: v walks the line's 33 tiles, only
// the tiles under sprite 0 are looked at, and the sprite pass keeps its flags.
void CPictureUnit::FlagLine(int line, bool clipLeft) {
  const CMemoryMap& memory = Memory();
  uint8_t& status = state_.registers[kStatus];
  const uint8_t mask = state_.registers[kMask];
  const uint8_t* sprite = memory.spriteRam;
  const int column = sprite[3] >> 3;
  unsigned under[3] = {};  // tile masks at columns column .. column + 2
  if (mask & kShowBackground) {
    const uint16_t v = state_.v;
    for (int i = 0; i < 3 && column + i < kTilesPerLine; ++i) under[i] = BackgroundTileMask(AfterTiles(v, column + i));
    state_.v = AfterTiles(v, kTilesPerLine);
  }
  status &= ~kSpriteOverflow;
  if (line > kRenderLines - 1 || !(mask & kShowSprites)) return;
  if (SpriteLineFlags(line) & kManySprites) status |= kSpriteOverflow;

  const int height = SpriteHeight();
  int row = SpriteRow(line, sprite);
  if (row < 0 || row >= height) return;
  const uint8_t tile = sprite[1];
  const uint8_t attribute = sprite[2];
  if (attribute & 0x80) row = height - 1 - row;
  const int patternTable = (state_.registers[kControl] & kSpritePatterns1000) ? 256 : 0;
  const int patternAddress = height == 16 ? ((tile & 1) * 256 + (tile & 0xFE)) * 16 + (row & 8) * 2 + (row & 7)
                                          : (patternTable + tile) * 16 + row;
  const uint8_t* pattern = memory.ppuPage[patternAddress >> 10] + (patternAddress & 0x3FF);
  uint8_t opaquePattern = pattern[0] | pattern[8];
  if (attribute & 0x40) opaquePattern = kBitReversal[opaquePattern];
  unsigned opaque = static_cast<unsigned>(opaquePattern) << (8 - (sprite[3] & 7));
  if (clipLeft && !(mask & kShowSpritesLeft) && column == 0) opaque &= 0x00FF;
  if (column == 31) opaque &= 0xFF00;

  // The background mask of the two screen columns, as DrawBackground aligns it.
  auto screenColumn = [&](int at) -> unsigned {
    if (at == 32) return 0;
    if (at == 0 && clipLeft && !(mask & kShowBackgroundLeft)) return 0;
    const int i = at - column;
    return static_cast<uint8_t>((((under[i] << 8) | under[i + 1]) << shift_) >> 8);
  };
  const unsigned background = (screenColumn(column) << 8) | screenColumn(column + 1);
  if (opaque & background) status |= kSprite0Hit;
}

void CPictureUnit::DrawSprites(int line, bool noSpriteLimit, bool clipLeft, uint8_t* pixels) {
  CMemoryMap& memory = Memory();
  uint8_t& status = state_.registers[kStatus];
  status &= ~kSpriteOverflow;
  if (line < 0 || line > kRenderLines - 1 || !(state_.registers[kMask] & kShowSprites)) return;
  if (!(SpriteLineFlags(line) & kAnySprite)) return;  // most lines: not one sprite to look at

  const uint8_t control = state_.registers[kControl];
  const int height = SpriteHeight();
  const bool clipSprites = clipLeft && !(state_.registers[kMask] & kShowSpritesLeft);
  const int patternTable = (control & kSpritePatterns1000) ? 256 : 0;
  uint8_t claimed[kMaskBytes] = {};
  int found = 0;

  for (int n = 0; n < onScreenSprites_; ++n) {
    const int i = onScreenSprite_[n];
    const uint8_t* sprite = memory.spriteRam + 4 * i;
    int row = SpriteRow(line, sprite);
    if (row < 0 || row >= height) continue;
    ++found;

    const uint8_t tile = sprite[1];
    const uint8_t attribute = sprite[2];
    const int x = sprite[3];
    if (attribute & 0x80) row = height - 1 - row;
    const int patternAddress = height == 16 ? ((tile & 1) * 256 + (tile & 0xFE)) * 16 + (row & 8) * 2 + (row & 7)
                                            : (patternTable + tile) * 16 + row;
    const uint8_t* pattern = memory.ppuPage[patternAddress >> 10] + (patternAddress & 0x3FF);
    uint8_t low = pattern[0];
    uint8_t high = pattern[8];
    if (attribute & 0x40) {
      low = kBitReversal[low];
      high = kBitReversal[high];
    }

    // The sprite's opaque pixels over screen columns 8*column .. 8*column+15.
    const int column = x >> 3;
    const int offset = x & 7;
    unsigned opaque = static_cast<unsigned>(low | high) << (8 - offset);
    if (clipSprites && column == 0) opaque &= 0x00FF;
    if (column == 31) opaque &= 0xFF00;  // past the right edge
    const unsigned background = (backgroundMask_[column] << 8) | backgroundMask_[column + 1];
    const unsigned taken = (claimed[column] << 8) | claimed[column + 1];

    if (i == 0 && (opaque & background)) status |= kSprite0Hit;
    unsigned visible = opaque & ~taken;
    claimed[column] |= static_cast<uint8_t>(opaque >> 8);
    claimed[column + 1] |= static_cast<uint8_t>(opaque);
    if (attribute & 0x20) visible &= ~background;  // behind opaque background

    if (visible != 0) {
      const uint8_t* palette = memory.spritePalette + (attribute & 3) * 4;
      const uint64_t group[4] = {0, palette[1] * kEveryByte, palette[2] * kEveryByte, palette[3] * kEveryByte};
      const uint64_t keep = kPixelBytes[static_cast<uint8_t>((visible << offset) >> 8)];
      uint8_t* out = pixels + kRenderFirstPixel + x;
      uint64_t word;
      std::memcpy(&word, out, 8);
      word = (word & ~keep) | (PaletteBytes(group, kPixelBytes[low], kPixelBytes[high]) & keep);
      std::memcpy(out, &word, 8);
    }

    if (found == kSpritesPerLine && !noSpriteLimit) break;
  }
  if (found >= kSpritesPerLine) status |= kSpriteOverflow;
}

}  // namespace qgu::core

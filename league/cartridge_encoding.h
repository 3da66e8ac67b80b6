#pragma once
// How the football cartridge encodes its teams, written once: the image
// builder places the cartridge's own teams with it, game preparation writes
// league teams into their slots with it and the import reads teams back with
// it. Offsets are file offsets into the iNES image (cartridge_layout.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "league/cartridge_layout.h"
#include "league/team_record.h"

namespace qgu::cartridge {

// Bounds-checked access to an image: a read outside it gives 0, and the view
// remembers that it went wrong (a damaged image's pointers may lead anywhere).
class ImageView {
 public:
  explicit ImageView(std::span<const uint8_t> image) : image_(image) {}

  bool ok() const { return ok_; }
  size_t size() const { return image_.size(); }

  uint8_t Byte(size_t offset) const;
  uint16_t Word(size_t offset) const;  // little-endian
  // Bytes [begin, end) as text; nothing when end <= begin.
  std::string Text(size_t begin, size_t end) const;
  // The file offset a player name pointer (a CPU address in bank 0) holds.
  size_t PlayerPointer(size_t at) const;
  // The file offset a text pointer (bank 15 seen at $A000) holds; at most size().
  size_t TextPointer(size_t at) const;

 protected:
  void Failed() const { ok_ = false; }

 private:
  std::span<const uint8_t> image_;
  mutable bool ok_ = true;
};

// As ImageView, and writes outside the image are dropped.
class ImageWriter : public ImageView {
 public:
  explicit ImageWriter(std::span<uint8_t> image) : ImageView(image), image_(image) {}

  void SetByte(size_t offset, uint8_t value);
  void SetWord(size_t offset, uint16_t value);
  void SetText(size_t offset, std::string_view text);
  void SetPlayerPointer(size_t at, size_t entryOffset);
  void SetTextPointer(size_t at, size_t textOffset);

 private:
  std::span<uint8_t> image_;
};

// Header fields kept as one byte each in a team table. The colour copy holds
// four of the uniform colours again; it is written, never read back.
struct TeamByteField {
  TeamTable table;
  size_t byte;
  league::TeamField field;
  bool copy;
};
inline constexpr std::array<TeamByteField, 14> kTeamByteFields = {{
    {kUniformColours, 0, league::kPrimaryPantsColourField, false},
    {kUniformColours, 1, league::kPrimarySkinColourField, false},
    {kUniformColours, 2, league::kPrimaryJerseyColourField, false},
    {kUniformColours, 3, league::kSecondaryPantsColourField, false},
    {kUniformColours, 4, league::kSecondarySkinColourField, false},
    {kUniformColours, 5, league::kSecondaryJerseyColourField, false},
    {kColourCopies, 0, league::kPrimaryPantsColourField, true},
    {kColourCopies, 1, league::kPrimaryJerseyColourField, true},
    {kColourCopies, 2, league::kSecondaryPantsColourField, true},
    {kColourCopies, 3, league::kSecondaryJerseyColourField, true},
    {kPlaybooks, 0, league::kRunPlays12Field, false},
    {kPlaybooks, 1, league::kRunPlays34Field, false},
    {kPlaybooks, 2, league::kPassPlays12Field, false},
    {kPlaybooks, 3, league::kPassPlays34Field, false},
}};

// The byte a header field puts into its table: the number's low 8 bits.
uint8_t TeamByte(const league::TeamHeader& header, const TeamByteField& field);

// The abbreviation as the cartridge keeps it: exactly four characters, cut
// or padded with blanks.
std::string AbbreviationText(std::string_view abbreviation);

// A player's name entry: the jersey byte, then the first and the last name,
// each cut to kMaxPlayerNamePart letters.
std::vector<uint8_t> NameEntry(const league::PlayerRecord& player);

// A player's attribute record (3 to 5 bytes by roster group); ratings are
// kept to their nibble.
std::vector<uint8_t> EncodeAttributes(const league::PlayerRecord& player, int rosterIndex);
// Reads the record at offset into the player; returns its length.
size_t DecodeAttributes(const ImageView& image, size_t offset, int rosterIndex, league::PlayerRecord& player);

// Writes a text at textOffset and points the next team's entry of the pointer
// table just past it, as team `team`'s text runs to team + 1's.
void WriteChainedText(ImageWriter& image, const TeamTable& pointers, int team, size_t textOffset, std::string_view text);

// Team `team`'s 30 name entries one after the other from firstEntry, each
// player's pointer continuing the chain from the team's first pointer (the
// pointer after player 29 is the next team's first), and the 117 bytes of
// attribute records.
void WriteRoster(ImageWriter& image, int team, size_t firstEntry,
                 const std::array<league::PlayerRecord, league::kPlayerCount>& players);

// The team's byte fields (colours, colour copy, playbook) that its header holds.
void WriteTeamBytes(ImageWriter& image, int team, const league::TeamHeader& header);

}  // namespace qgu::cartridge

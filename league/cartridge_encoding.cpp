#include "league/cartridge_encoding.h"

#include <algorithm>

namespace qgu::cartridge {
namespace {

using league::PlayerRecord;

std::string_view Cut(std::string_view text, size_t length) { return text.substr(0, std::min(text.size(), length)); }

int& Field(PlayerRecord& player, int field) { return player.*league::PlayerNumberFields[static_cast<size_t>(field)]; }
int FieldOf(const PlayerRecord& player, int field) {
  return player.*league::PlayerNumberFields[static_cast<size_t>(field)];
}

uint8_t Nibble(int rating) { return static_cast<uint8_t>(std::clamp(rating, 0, league::kMaxRatingStep)); }

}  // namespace

uint8_t ImageView::Byte(size_t offset) const {
  if (offset >= image_.size()) {
    Failed();
    return 0;
  }
  return image_[offset];
}

uint16_t ImageView::Word(size_t offset) const {
  return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
}

std::string ImageView::Text(size_t begin, size_t end) const {
  if (end <= begin) return {};
  if (end > image_.size()) {
    Failed();
    return {};
  }
  return std::string(image_.begin() + static_cast<std::ptrdiff_t>(begin),
                     image_.begin() + static_cast<std::ptrdiff_t>(end));
}

size_t ImageView::PlayerPointer(size_t at) const {
  const size_t word = Word(at);
  if (word < kPlayerPointerBias || word - kPlayerPointerBias >= image_.size()) {
    Failed();
    return 0;
  }
  return word - kPlayerPointerBias;
}

size_t ImageView::TextPointer(size_t at) const {
  const size_t target = Word(at) + kTextPointerBias;
  if (target > image_.size()) Failed();
  return std::min(target, image_.size());
}

void ImageWriter::SetByte(size_t offset, uint8_t value) {
  if (offset < image_.size()) {
    image_[offset] = value;
  } else {
    Failed();
  }
}

void ImageWriter::SetWord(size_t offset, uint16_t value) {
  SetByte(offset, static_cast<uint8_t>(value & 0xFF));
  SetByte(offset + 1, static_cast<uint8_t>(value >> 8));
}

void ImageWriter::SetText(size_t offset, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) SetByte(offset + i, static_cast<uint8_t>(text[i]));
}

void ImageWriter::SetPlayerPointer(size_t at, size_t entryOffset) {
  SetWord(at, static_cast<uint16_t>(entryOffset + kPlayerPointerBias));
}

void ImageWriter::SetTextPointer(size_t at, size_t textOffset) {
  SetWord(at, static_cast<uint16_t>(textOffset - kTextPointerBias));
}

std::string AbbreviationText(std::string_view abbreviation) {
  std::string text(Cut(abbreviation, kAbbreviationLength));
  text.resize(kAbbreviationLength, ' ');
  return text;
}

std::vector<uint8_t> NameEntry(const PlayerRecord& player) {
  std::vector<uint8_t> entry{static_cast<uint8_t>(player.jersey & 0xFF)};
  for (std::string_view part : {Cut(player.firstName, kMaxPlayerNamePart), Cut(player.lastName, kMaxPlayerNamePart)}) {
    entry.insert(entry.end(), part.begin(), part.end());
  }
  return entry;
}

std::vector<uint8_t> EncodeAttributes(const PlayerRecord& player, int rosterIndex) {
  const AttributeRecord record = AttributeRecordOf(league::GroupOfPosition(rosterIndex));
  std::vector<uint8_t> bytes;
  for (size_t b = 0; b < record.count; ++b) {
    const auto [high, low] = record.bytes[b];
    bytes.push_back(low == kWholeByte ? static_cast<uint8_t>(FieldOf(player, high) & 0xFF)
                                      : static_cast<uint8_t>(Nibble(FieldOf(player, high)) << 4 |
                                                             Nibble(FieldOf(player, low))));
  }
  return bytes;
}

size_t DecodeAttributes(const ImageView& image, size_t offset, int rosterIndex, PlayerRecord& player) {
  const AttributeRecord record = AttributeRecordOf(league::GroupOfPosition(rosterIndex));
  for (size_t b = 0; b < record.count; ++b) {
    const auto [high, low] = record.bytes[b];
    const uint8_t byte = image.Byte(offset + b);
    if (low == kWholeByte) {
      Field(player, high) = byte;
    } else {
      Field(player, high) = byte >> 4;
      Field(player, low) = byte & 0x0F;
    }
  }
  return record.count;
}

void WriteChainedText(ImageWriter& image, const TeamTable& pointers, int team, size_t textOffset,
                      std::string_view text) {
  image.SetText(textOffset, text);
  image.SetWord(pointers.Of(team + 1), static_cast<uint16_t>(image.Word(pointers.Of(team)) + text.size()));
}

void WriteRoster(ImageWriter& image, int team, size_t firstEntry,
                 const std::array<PlayerRecord, league::kPlayerCount>& players) {
  size_t entry = firstEntry;
  size_t pointer = kPlayerPointers.Of(team);
  size_t attributes = kAttributes.Of(team);
  for (int p = 0; p < league::kPlayerCount; ++p, pointer += 2) {
    const PlayerRecord& player = players[static_cast<size_t>(p)];
    const std::vector<uint8_t> bytes = NameEntry(player);
    for (size_t i = 0; i < bytes.size(); ++i) image.SetByte(entry + i, bytes[i]);
    // Entry p runs to the pointer of entry p + 1, which the next entry starts at.
    const uint16_t next = static_cast<uint16_t>(image.Word(pointer) + bytes.size());
    image.SetWord(pointer + 2, next);
    entry = static_cast<size_t>(next) - std::min<size_t>(next, kPlayerPointerBias);
    for (uint8_t byte : EncodeAttributes(player, p)) image.SetByte(attributes++, byte);
  }
}

uint8_t TeamByte(const league::TeamHeader& header, const TeamByteField& field) {
  return static_cast<uint8_t>(header.*league::TeamNumberFields[static_cast<size_t>(field.field)] & 0xFF);
}

void WriteTeamBytes(ImageWriter& image, int team, const league::TeamHeader& header) {
  for (const TeamByteField& f : kTeamByteFields) {
    if (header.Has(f.field)) image.SetByte(f.table.Of(team) + f.byte, TeamByte(header, f));
  }
}

}  // namespace qgu::cartridge

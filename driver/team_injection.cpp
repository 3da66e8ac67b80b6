#include "driver/team_injection.h"

#include <algorithm>

#include "league/team_record_format.h"

namespace qgu::driver {
namespace {

// Header fields of the team line.
constexpr size_t kCityField = 0;
constexpr size_t kNicknameField = 1;
constexpr size_t kAbbreviationField = 2;
constexpr size_t kFirstColourField = 3;
constexpr size_t kFirstPlaybookField = 9;
constexpr size_t kFormationField = 13;
// Colour fields also copied, in this order, to the colour copy table.
constexpr std::array<size_t, 4> kColourCopyFields = {3, 5, 6, 8};

// Player line fields.
constexpr size_t kJerseyField = 0;
constexpr size_t kFirstNameField = 1;
constexpr size_t kLastNameField = 2;

// Every write goes through here, so no text or pointer can land outside the image.
class ImageWriter {
 public:
  explicit ImageWriter(std::span<uint8_t> image) : image_(image) {}

  void Byte(size_t offset, uint8_t value) {
    if (offset < image_.size()) image_[offset] = value;
  }
  void Text(size_t offset, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) Byte(offset + i, static_cast<uint8_t>(text[i]));
  }
  uint16_t Word(size_t offset) const {
    if (offset + 1 >= image_.size()) return 0;
    return static_cast<uint16_t>(image_[offset] | image_[offset + 1] << 8);
  }
  void SetWord(size_t offset, uint16_t value) {
    Byte(offset, static_cast<uint8_t>(value & 0xFF));
    Byte(offset + 1, static_cast<uint8_t>(value >> 8));
  }

 private:
  std::span<uint8_t> image_;
};

std::string_view Cut(std::string_view text, size_t length) { return text.substr(0, std::min(text.size(), length)); }

uint8_t LowByte(std::string_view field) { return static_cast<uint8_t>(league::FieldToNumber(field) & 0xFF); }

// A rating step of a player line, kept to its nibble so it cannot spill into the other one.
uint8_t Rating(const RecordFields& player, size_t field) {
  return static_cast<uint8_t>(std::clamp(NumberAt(player, field), 0, 15));
}

uint8_t RatingPair(const RecordFields& player, size_t high, size_t low) {
  return static_cast<uint8_t>(Rating(player, high) << 4 | Rating(player, low));
}

// Writes a text at its slot offset and points the next team's entry just past it.
void WriteChainedText(ImageWriter& out, size_t textOffset, const cartridge::TeamTable& pointers, int team,
                      std::string_view text) {
  out.Text(textOffset, text);
  const uint16_t next = static_cast<uint16_t>(out.Word(pointers.Of(team)) + text.size());
  out.SetWord(pointers.Of(team + 1), next);
}

void WriteAbbreviation(ImageWriter& out, int team, std::string_view text) {
  std::string padded(Cut(text, cartridge::kAbbreviationLength));
  padded.resize(cartridge::kAbbreviationLength, ' ');
  out.Text(cartridge::kAbbreviationTexts.Of(team), padded);
}

void WriteHeaderField(ImageWriter& out, const TeamSlot& slot, PlayCallingProfile& profile, size_t index,
                      std::string_view field) {
  const int team = slot.team;
  if (index == kCityField) {
    WriteChainedText(out, slot.cityText, cartridge::kCityPointers, team, Cut(field, league::kMaxTextFieldLength));
  } else if (index == kNicknameField) {
    WriteChainedText(out, slot.nicknameText, cartridge::kNicknamePointers, team, Cut(field, league::kMaxTextFieldLength));
  } else if (index == kAbbreviationField) {
    WriteAbbreviation(out, team, field);
  } else if (index >= kFirstColourField && index < kFirstColourField + cartridge::kUniformColourBytes) {
    out.Byte(cartridge::kUniformColours.Of(team) + index - kFirstColourField, LowByte(field));
    const auto copy = std::find(kColourCopyFields.begin(), kColourCopyFields.end(), index);
    if (copy != kColourCopyFields.end()) {
      out.Byte(cartridge::kColourCopies.Of(team) + static_cast<size_t>(copy - kColourCopyFields.begin()), LowByte(field));
    }
  } else if (index >= kFirstPlaybookField && index < kFirstPlaybookField + cartridge::kPlaybooks.stride) {
    out.Byte(cartridge::kPlaybooks.Of(team) + index - kFirstPlaybookField, LowByte(field));
  } else if (index >= PlayCallingProfile::kFirstHeaderField &&
             index < PlayCallingProfile::kFirstHeaderField + PlayCallingProfile::kHeaderFieldCount) {
    profile.SetFromHeaderField(static_cast<int>(index), static_cast<int16_t>(league::FieldToNumber(field)));
  }
}

size_t WritePlayerAttributes(ImageWriter& out, size_t offset, int player, const RecordFields& fields) {
  const cartridge::AttributeRecord record = cartridge::AttributeRecordOf(league::GroupOfPosition(player));
  for (size_t b = 0; b < record.count; ++b) {
    const auto [high, low] = record.bytes[b];
    const size_t highField = static_cast<size_t>(high);
    out.Byte(offset++, low == cartridge::kWholeByte ? LowByte(FieldAt(fields, highField))
                                                    : RatingPair(fields, highField, static_cast<size_t>(low)));
  }
  return offset;
}

void WriteRoster(ImageWriter& out, const TeamSlot& slot, const std::vector<RecordFields>& players) {
  size_t text = slot.firstPlayerText;
  size_t pointer = cartridge::kPlayerPointers.Of(slot.team);
  size_t attributes = cartridge::kAttributes.Of(slot.team);
  for (int p = 0; p < league::kPlayerCount; ++p) {
    const RecordFields& fields = players[static_cast<size_t>(p)];
    const std::string name = std::string(Cut(FieldAt(fields, kFirstNameField), cartridge::kMaxPlayerNamePart)) +
                             std::string(Cut(FieldAt(fields, kLastNameField), cartridge::kMaxPlayerNamePart));
    out.Byte(text, LowByte(FieldAt(fields, kJerseyField)));
    out.Text(text + 1, name);
    // Entry p runs to the pointer of entry p + 1; the last one to the next team's first.
    const size_t entryBytes = 1 + name.size();
    out.SetWord(pointer + 2, static_cast<uint16_t>(out.Word(pointer) + entryBytes));
    pointer += 2;
    text += entryBytes;
    attributes = WritePlayerAttributes(out, attributes, p, fields);
  }
}

}  // namespace

int ReadFormation(const std::string& path) {
  const std::optional<RecordFields> header = ReadTeamHeader(path);
  if (!header || header->size() <= kFormationField) return league::kProSet;
  return NumberAt(*header, kFormationField);
}

InjectResult InjectTeamLines(std::span<uint8_t> image, const TeamRecordLines& lines, const TeamSlot& slot,
                             PlayCallingProfile& profile) {
  // A short roster would leave the name pointer chain half old, half new.
  if (lines.players.size() < league::kPlayerCount) return InjectResult::kShortRoster;
  ImageWriter out(image);
  for (size_t i = 0; i < lines.header.size(); ++i) WriteHeaderField(out, slot, profile, i, lines.header[i]);
  WriteRoster(out, slot, lines.players);
  return InjectResult::kDone;
}

InjectResult InjectTeam(std::span<uint8_t> image, const std::string& path, const TeamSlot& slot,
                        PlayCallingProfile& profile) {
  const std::optional<TeamRecordLines> lines = ReadTeamRecordLines(path);
  if (!lines) return InjectResult::kCannotOpen;
  return InjectTeamLines(image, *lines, slot, profile);
}

}  // namespace qgu::driver

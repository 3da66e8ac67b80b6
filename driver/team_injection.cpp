#include "driver/team_injection.h"

#include <algorithm>

#include "league/cartridge_encoding.h"

namespace qgu::driver {
namespace {

using league::TeamHeader;

std::string_view Name(std::string_view text) { return text.substr(0, std::min(text.size(), league::kMaxNameLength)); }

void WriteTexts(cartridge::ImageWriter& image, const TeamSlot& slot, const TeamHeader& header) {
  if (header.Has(league::kCityField)) {
    WriteChainedText(image, cartridge::kCityPointers, slot.team, slot.cityText, Name(header.city));
  }
  if (header.Has(league::kNicknameField)) {
    WriteChainedText(image, cartridge::kNicknamePointers, slot.team, slot.nicknameText, Name(header.nickname));
  }
  if (header.Has(league::kAbbreviationField)) {
    image.SetText(cartridge::kAbbreviationTexts.Of(slot.team), cartridge::AbbreviationText(header.abbreviation));
  }
}

}  // namespace

void InjectTeam(std::span<uint8_t> image, const league::TeamRecord& team, const TeamSlot& slot,
                PlayCallingProfile& profile) {
  cartridge::ImageWriter writer(image);
  WriteTexts(writer, slot, team.header);
  WriteTeamBytes(writer, slot.team, team.header);
  WriteRoster(writer, slot.team, slot.firstPlayerText, team.players);
  profile.SetFromHeader(team.header);
}

}  // namespace qgu::driver

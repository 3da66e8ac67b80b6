// A team record file on its way into a game: any bytes are read by the
// league's reader, and whatever it accepts is written into every slot of the
// cartridge as game preparation does. The image must keep its size and every
// byte outside the team data, the other teams' texts must stay as they were,
// and the import must read the written team back.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/team_injection.h"
#include "driver/team_slots.h"
#include "league/cartridge_teams.h"
#include "league/team_record_format.h"
#include "tests/fuzz/cartridge_base_image.h"

namespace {

using namespace qgu;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool InTeamData(size_t offset) {
  for (const cartridge::Area& area : cartridge::kTeamDataAreas) {
    if (offset >= area.first && offset <= area.last) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const league::Result<league::TeamRecord> read =
      league::ParseTeamRecordText(std::string(reinterpret_cast<const char*>(data), size));
  if (!read.ok()) return 0;
  const league::TeamRecord& team = read.value();
  const std::vector<uint8_t>& original = fuzz::CartridgeBaseImage();
  const league::CartridgeTeams before = league::ExtractCartridgeTeams(original).value();

  for (const auto& formation : driver::kTeamSlots) {
    for (const driver::TeamSlot& slot : formation) {
      std::vector<uint8_t> image = original;
      driver::PlayCallingProfile profile;
      driver::InjectTeam(image, team, slot, profile);
      Check(image.size() == original.size());
      for (size_t offset = 0; offset < image.size(); ++offset) Check(InTeamData(offset) || image[offset] == original[offset]);

      const league::Result<league::CartridgeTeams> after = league::ExtractCartridgeTeams(image);
      Check(after.ok());
      const league::TeamHeader& written = after.value()[static_cast<size_t>(slot.team)].record.header;
      const league::TeamHeader& header = team.header;
      if (header.Has(league::kCityField)) Check(written.city.size() <= league::kMaxNameLength);
      if (header.Has(league::kAbbreviationField)) Check(written.abbreviation.size() == cartridge::kAbbreviationLength);
      if (header.Has(league::kPassPlays34Field)) Check(written.passPlays34 == (header.passPlays34 & 0xFF));
      for (int t = 0; t < cartridge::kTeamCount; ++t) {
        if (t == slot.team || t == slot.team + 1) continue;  // the next team's text follows the slot's
        const league::TeamHeader& other = after.value()[static_cast<size_t>(t)].record.header;
        Check(other.abbreviation == before[static_cast<size_t>(t)].record.header.abbreviation);
      }
      const league::PlayerRecord& qb = after.value()[static_cast<size_t>(slot.team)].record.players[0];
      Check(qb.jersey == (team.players[0].jersey & 0xFF));
      Check(qb.accuracy == std::clamp(team.players[0].accuracy, 0, league::kMaxRatingStep));
    }
  }
  return 0;
}

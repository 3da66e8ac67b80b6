// Cartridge team extraction, as the default league and the tool server's
// import use it: a built cartridge image with patched bytes (each input is
// a list of 4-byte patches: 3 bytes of offset, 1 byte of value) must be
// refused or extracted without a crash or a read past its end, and what is
// extracted must make valid team record files.

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "league/cartridge_teams.h"
#include "league/team_record_format.h"
#include "tests/fuzz/cartridge_base_image.h"

namespace {

using namespace qgu::league;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One image for every input: patched, extracted, then put back as it was.
  static std::vector<uint8_t> image = qgu::fuzz::CartridgeBaseImage();
  std::vector<std::pair<size_t, uint8_t>> undo;
  for (size_t at = size % 4; at + 4 <= size; at += 4) {
    const size_t offset = (data[at] | data[at + 1] << 8 | data[at + 2] << 16) % qgu::cartridge::kImageBytes;
    undo.emplace_back(offset, image[offset]);
    image[offset] = data[at + 3];
  }
  // The first byte may cut the image short, so truncated images are tried too.
  const size_t length = size % 4 == 1 ? image.size() * data[0] / 255 : image.size();
  const Result<CartridgeTeams> teams = ExtractCartridgeTeams(std::span(image).first(length));
  for (auto it = undo.rbegin(); it != undo.rend(); ++it) image[it->first] = it->second;
  if (!teams.ok()) return 0;
  for (const CartridgeTeam& team : teams.value()) {
    // Every extracted team writes as a team record and reads back the same.
    const Result<std::string> written = FormatTeamRecord(team.record, TeamLineForm::kImport);
    Check(written.ok());
    Check(ParseTeamRecordText(written.value()).ok());
    for (const PlayerRecord& player : team.record.players) {
      for (int field = kRunningSpeedField; field < kPlayerFieldCount; ++field) {
        const int value = player.*PlayerNumberFields[static_cast<size_t>(field)];
        Check(value >= 0 && value <= (field == kSkinField ? 255 : kMaxRatingStep));
      }
    }
  }
  return 0;
}

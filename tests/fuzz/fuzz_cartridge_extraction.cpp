// Cartridge team extraction, as the default league and the tool server's
// import use it: a built cartridge image with patched bytes (each input is
// a list of 4-byte patches: 3 bytes of offset, 1 byte of value) must be
// refused or extracted without a crash or a read past its end, and what is
// extracted must make valid team record files. An input of length 4k+2 is
// instead a whole file of its own, loaded as the import loads a user's file:
// refused with the import's messages or taken, never read past.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <span>
#include <utility>
#include <vector>

#include "league/cartridge_import.h"
#include "league/cartridge_teams.h"
#include "league/team_record_format.h"
#include "tests/fuzz/cartridge_base_image.h"

namespace {

using namespace qgu::league;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckTeams(const CartridgeTeams& teams) {
  for (const CartridgeTeam& team : teams) {
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
}

// Any bytes as the file a user picked: the import's load, messages and all.
void LoadAsUserFile(const uint8_t* data, size_t size) {
  // One scratch file per process, removed when the run ends.
  static const struct Scratch {
    std::string path = "/tmp/qgu-fuzz-import-" + std::to_string(::getpid()) + ".nes";
    ~Scratch() { std::remove(path.c_str()); }
  } scratch;
  const std::string& path = scratch.path;
  FILE* file = std::fopen(path.c_str(), "wb");
  Check(file != nullptr);
  Check(std::fwrite(data, 1, size, file) == size);
  std::fclose(file);
  const LoadedCartridge loaded = LoadCartridgeForImport(path);
  if (loaded.teams) {
    Check(loaded.messages.empty());
    CheckTeams(*loaded.teams);
    return;
  }
  // A refusal gives its reason, then the load's own message.
  Check(loaded.messages.size() == 2);
  Check(loaded.messages[0] == kRomNotNesMessage || loaded.messages[0] == kRomNotRecognisedMessage);
  Check(loaded.messages[1] == kRomLoadFailedMessage);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size % 4 == 2) {
    LoadAsUserFile(data, size);
    return 0;
  }
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
  if (teams.ok()) CheckTeams(teams.value());
  return 0;
}

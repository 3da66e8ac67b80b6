#include "cartridge/builder/image_builder.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "league/cartridge_encoding.h"

namespace qgu::cartridge {
namespace {

std::string Hex(size_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%zX", value);
  return text;
}

std::string TeamRange(const TeamGroup& group) {
  return "teams " + std::to_string(group.firstTeam) + "-" + std::to_string(group.lastTeam);
}

uint16_t ReadWord(std::span<const uint8_t> image, size_t offset) { return ImageView(image).Word(offset); }

bool BytesAt(std::span<const uint8_t> image, size_t offset, const std::vector<uint8_t>& bytes) {
  return offset + bytes.size() <= image.size() &&
         std::equal(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

bool InTeamDataArea(size_t offset) {
  return std::any_of(kTeamDataAreas.begin(), kTeamDataAreas.end(),
                     [offset](const Area& area) { return offset >= area.first && offset <= area.last; });
}

// ---- the cartridge's encoding, as placing and verifying both see it ----

std::vector<uint8_t> EncodeEntry(const SourcePlayer& player) { return NameEntry(RecordOf(player, 0)); }

std::vector<uint8_t> EncodeAttributes(const SourceTeam& team) {
  std::vector<uint8_t> bytes;
  for (int p = 0; p < league::kPlayerCount; ++p) {
    const std::vector<uint8_t> record = cartridge::EncodeAttributes(RecordOf(team.players[static_cast<size_t>(p)], p), p);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  return bytes;
}

// The team's bytes in one of the tables of header byte fields (colours, colour copy, playbook).
std::vector<uint8_t> TableBytes(const SourceTeam& team, const TeamTable& table) {
  const league::TeamHeader header = RecordOf(team).header;
  std::vector<uint8_t> bytes;
  for (const TeamByteField& f : kTeamByteFields) {
    if (f.table.base == table.base) bytes.push_back(TeamByte(header, f));
  }
  return bytes;
}

std::vector<uint8_t> EncodePlaybook(const SourceTeam& team) { return TableBytes(team, kPlaybooks); }
std::vector<uint8_t> EncodeColours(const SourceTeam& team) { return TableBytes(team, kUniformColours); }
std::vector<uint8_t> EncodeColourCopy(const SourceTeam& team) { return TableBytes(team, kColourCopies); }

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

// ---- budgets ----

struct TextKind {
  const char* plural;
  size_t TeamGroup::*start;
  size_t lastEnd;        // where the last group must end by
  size_t terminator;     // bytes after the last group (the entries' 0xFF)
  std::function<size_t(const SourceTeam&)> length;
};

size_t EntriesLength(const SourceTeam& team) {
  size_t total = 0;
  for (const SourcePlayer& player : team.players) total += EntryLength(player);
  return total;
}

const std::array<TextKind, 3>& TextKinds() {
  static const std::array<TextKind, 3> kinds = {{
      {"cities", &TeamGroup::cityStart, kLastCityEnd, 0, [](const SourceTeam& t) { return t.city.size(); }},
      {"nicknames", &TeamGroup::nicknameStart, kLastNicknameEnd, 0,
       [](const SourceTeam& t) { return t.nickname.size(); }},
      {"player entries", &TeamGroup::entryStart, kAttributes.base, 1, EntriesLength},
  }};
  return kinds;
}

void CheckBudget(const TextKind& kind, size_t g, const std::vector<SourceTeam>& teams,
                 std::vector<std::string>& errors) {
  const TeamGroup& group = kTeamGroups[g];
  size_t used = 0;
  for (int n = group.firstTeam; n <= group.lastTeam; ++n) used += kind.length(teams[static_cast<size_t>(n)]);
  const size_t start = group.*kind.start;
  if (g + 1 < kTeamGroups.size()) {
    const TeamGroup& next = kTeamGroups[g + 1];
    const size_t budget = next.*kind.start - start;
    if (used != budget) {
      const long change = static_cast<long>(budget) - static_cast<long>(used);
      errors.push_back(std::string(kind.plural) + " of " + TeamRange(group) + " take " + std::to_string(used) +
                       " bytes; they must fill exactly " + std::to_string(budget) + " (" + Hex(start) +
                       " up to team " + std::to_string(next.firstTeam) + "'s fixed start " + Hex(next.*kind.start) +
                       "): " + (change > 0 ? "lengthen" : "shorten") + " them by " + std::to_string(std::labs(change)));
    }
    return;
  }
  const size_t budget = kind.lastEnd - start - kind.terminator;
  if (used > budget) {
    errors.push_back(std::string(kind.plural) + " of " + TeamRange(group) + " take " + std::to_string(used) +
                     " bytes; at most " + std::to_string(budget) + " fit (" + Hex(start) + " up to " +
                     Hex(kind.lastEnd) + (kind.terminator ? ", with the closing 0xFF" : "") + ")");
  }
}

// ---- placing ----

// The teams are written end to end as game preparation writes one team into
// its slot: each team's entries and texts continue the pointer chains.
void PlaceTeams(std::span<uint8_t> bytes, const std::vector<SourceTeam>& teams) {
  ImageWriter image(bytes);
  image.SetPlayerPointer(kPlayerPointers.Of(0), kFirstEntry);
  image.SetTextPointer(kCityPointers.Of(0), kCityTextsStart);
  image.SetTextPointer(kNicknamePointers.Of(0), kNicknameTextsStart);
  for (const SourceTeam& team : teams) {
    const league::TeamRecord record = RecordOf(team);
    const int n = team.number;
    image.SetPlayerPointer(kPlayerTablePointers.Of(n), kPlayerPointers.Of(n));
    WriteRoster(image, n, image.PlayerPointer(kPlayerPointers.Of(n)), record.players);
    WriteChainedText(image, kCityPointers, n, image.TextPointer(kCityPointers.Of(n)), record.header.city);
    WriteChainedText(image, kNicknamePointers, n, image.TextPointer(kNicknamePointers.Of(n)), record.header.nickname);
    image.SetTextPointer(kAbbreviationPointers.Of(n), kAbbreviationTexts.Of(n));
    image.SetText(kAbbreviationTexts.Of(n), AbbreviationText(record.header.abbreviation));
    WriteTeamBytes(image, n, record.header);
  }
  image.SetTextPointer(kAbbreviationPointers.Of(kTeamCount), kAbbreviationTexts.Of(kTeamCount));
  image.SetByte(image.PlayerPointer(kEndOfEntriesPointer), kEntriesEnd);
}

// ---- verifying ----

class Verifier {
 public:
  Verifier(std::span<const uint8_t> image, std::span<const uint8_t> program, const std::vector<SourceTeam>& teams)
      : image_(image), program_(program), teams_(teams) {}

  std::vector<std::string> Run() {
    if (image_.size() != kImageBytes || program_.size() != kImageBytes || teams_.size() != kTeamCount) {
      return {"built image is " + std::to_string(image_.size()) + " bytes; it must be exactly 393,232"};
    }
    CheckOutsideAreasUnchanged();
    CheckPlayers();
    for (const SourceTeam& team : teams_) CheckTeamTables(team);
    CheckTextChain("abbreviation", kAbbreviationPointers,
                   [](const SourceTeam& t) -> const std::string& { return t.abbreviation; }, nullptr);
    CheckTextChain("city", kCityPointers, [](const SourceTeam& t) -> const std::string& { return t.city; },
                   &TeamGroup::cityStart);
    CheckTextChain("nickname", kNicknamePointers, [](const SourceTeam& t) -> const std::string& { return t.nickname; },
                   &TeamGroup::nicknameStart);
    return std::move(errors_);
  }

 private:
  void Fail(const std::string& what) {
    if (errors_.size() < 40) errors_.push_back(what);
  }

  void CheckOutsideAreasUnchanged() {
    for (size_t offset = 0; offset < image_.size(); ++offset) {
      if (!InTeamDataArea(offset) && image_[offset] != program_[offset]) {
        return Fail("byte " + Hex(offset) + " changed outside the team-data areas");
      }
    }
  }

  // Follows the player pointer chain from each team's table; entries must sit
  // end to end from 0x6DA, each slot team's first entry at its fixed start.
  void CheckPlayers() {
    size_t expected = kFirstEntry;
    for (const SourceTeam& team : teams_) {
      const size_t tableWord = ReadWord(image_, kPlayerTablePointers.Of(team.number));
      if (tableWord != kPlayerPointers.Of(team.number) + kPlayerPointerBias) {
        return Fail("team " + std::to_string(team.number) + "'s player pointer table pointer is " + Hex(tableWord));
      }
      const size_t table = tableWord - kPlayerPointerBias;
      for (size_t p = 0; p < team.players.size(); ++p) {
        const size_t entry = ReadWord(image_, table + 2 * p) - kPlayerPointerBias;
        if (entry != expected || !BytesAt(image_, entry, EncodeEntry(team.players[p]))) {
          return Fail("player " + std::to_string(p) + " of team " + std::to_string(team.number) +
                      " is not where the pointer chain says (" + Hex(entry) + ")");
        }
        expected += EntryLength(team.players[p]);
      }
    }
    for (const TeamGroup& group : kTeamGroups) {
      const size_t first = ReadWord(image_, kPlayerPointers.Of(group.firstTeam)) - kPlayerPointerBias;
      if (first != group.entryStart) {
        Fail("team " + std::to_string(group.firstTeam) + "'s first player entry is at " + Hex(first) +
             ", not at its fixed start " + Hex(group.entryStart));
      }
    }
    const size_t end = ReadWord(image_, kEndOfEntriesPointer) - kPlayerPointerBias;
    if (end != expected || end >= kAttributes.base || image_[end] != kEntriesEnd) {
      Fail("the word at 0x6D8 must point just past team 27's last entry, at the closing 0xFF before 0x3010");
    }
  }

  void CheckTeamTables(const SourceTeam& team) {
    const std::string name = "team " + std::to_string(team.number);
    if (!BytesAt(image_, kAttributes.Of(team.number), EncodeAttributes(team)) ||
        EncodeAttributes(team).size() != kAttributes.stride) {
      Fail(name + "'s attributes at " + Hex(kAttributes.Of(team.number)) + " do not read back");
    }
    if (!BytesAt(image_, kPlaybooks.Of(team.number), EncodePlaybook(team))) Fail(name + "'s playbook does not read back");
    if (ReadWord(image_, kAbbreviationPointers.Of(team.number)) + kTextPointerBias !=
        kAbbreviationTexts.Of(team.number)) {
      Fail(name + "'s abbreviation pointer does not point at " + Hex(kAbbreviationTexts.Of(team.number)));
    }
    if (!BytesAt(image_, kUniformColours.Of(team.number), EncodeColours(team)) ||
        !BytesAt(image_, kColourCopies.Of(team.number), EncodeColourCopy(team))) {
      Fail(name + "'s uniform colours do not read back");
    }
  }

  // 29 pointers; text n runs from pointer n to pointer n + 1. Cities and
  // nicknames (rewritten by game preparation) also have fixed starts.
  void CheckTextChain(const char* what, const TeamTable& pointers,
                      const std::function<const std::string&(const SourceTeam&)>& text,
                      size_t TeamGroup::*fixedStart) {
    for (const SourceTeam& team : teams_) {
      const size_t begin = ReadWord(image_, pointers.Of(team.number)) + kTextPointerBias;
      const size_t end = ReadWord(image_, pointers.Of(team.number + 1)) + kTextPointerBias;
      if (end < begin || end > kTextBankEnd || end - begin != text(team).size() ||
          !BytesAt(image_, begin, Text(text(team)))) {
        Fail("team " + std::to_string(team.number) + "'s " + what + " text does not read back through its pointers");
      }
    }
    if (fixedStart == nullptr) return;
    for (const TeamGroup& group : kTeamGroups) {
      const size_t begin = ReadWord(image_, pointers.Of(group.firstTeam)) + kTextPointerBias;
      if (begin != group.*fixedStart) {
        Fail("team " + std::to_string(group.firstTeam) + "'s " + what + " starts at " + Hex(begin) +
             ", not at its fixed start " + Hex(group.*fixedStart));
      }
    }
  }

  std::span<const uint8_t> image_;
  std::span<const uint8_t> program_;
  const std::vector<SourceTeam>& teams_;
  std::vector<std::string> errors_;
};

}  // namespace

std::vector<std::string> CheckProgramImage(std::span<const uint8_t> program) {
  if (program.size() != kImageBytes) {
    return {"program image is " + std::to_string(program.size()) + " bytes; the cartridge must be exactly 393,232"};
  }
  std::vector<std::string> errors;
  for (size_t i = 0; i < kHeader.size(); ++i) {
    if (program[i] != kHeader[i]) {
      errors.push_back("program image header byte " + std::to_string(i) + " is " + Hex(program[i]) + ", not " +
                       Hex(kHeader[i]) + " (iNES, 16 program banks, 16 character banks, flags 6 = 0x42, rest 0)");
      break;
    }
  }
  if (!std::equal(kGameCheck.begin(), kGameCheck.end(), program.begin() + kGameCheckOffset)) {
    errors.push_back("program image lacks the game check \"ZEMRATH\" at 0x3C139");
  }
  for (const Area& area : kTeamDataAreas) {
    for (size_t offset = area.first; offset <= area.last; ++offset) {
      if (program[offset] != 0) {
        errors.push_back("program image has data at " + Hex(offset) + " inside the team-data area " +
                         Hex(area.first) + "-" + Hex(area.last) + ", which must be left zero");
        break;
      }
    }
  }
  return errors;
}

std::vector<std::string> CheckTextBudgets(const std::vector<SourceTeam>& teams) {
  if (teams.size() != kTeamCount) return {"the cartridge needs exactly 28 teams"};
  std::vector<std::string> errors;
  for (const TextKind& kind : TextKinds()) {
    for (size_t g = 0; g < kTeamGroups.size(); ++g) CheckBudget(kind, g, teams, errors);
  }
  return errors;
}

std::vector<uint8_t> MakeStandInProgramImage() {
  std::vector<uint8_t> image(kImageBytes, 0);
  std::copy(kHeader.begin(), kHeader.end(), image.begin());
  std::copy(kGameCheck.begin(), kGameCheck.end(), image.begin() + kGameCheckOffset);
  return image;
}

BuildResult BuildCartridgeImage(std::span<const uint8_t> program, const std::vector<SourceTeam>& teams) {
  BuildResult result;
  result.errors = CheckProgramImage(program);
  const auto budgetErrors = CheckTextBudgets(teams);
  result.errors.insert(result.errors.end(), budgetErrors.begin(), budgetErrors.end());
  if (!result.errors.empty()) return result;

  result.image.assign(program.begin(), program.end());
  PlaceTeams(result.image, teams);
  result.errors = VerifyCartridgeImage(result.image, program, teams);
  if (!result.errors.empty()) result.image.clear();
  return result;
}

std::vector<std::string> VerifyCartridgeImage(std::span<const uint8_t> image, std::span<const uint8_t> program,
                                              const std::vector<SourceTeam>& teams) {
  return Verifier(image, program, teams).Run();
}

}  // namespace qgu::cartridge

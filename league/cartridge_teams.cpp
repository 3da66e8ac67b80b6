#include "league/cartridge_teams.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "base/file_read.h"
#include "league/cartridge_encoding.h"
#include "league/cartridge_layout.h"
#include "league/team_record_file.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

using cartridge::TeamTable;

// The load checks the header's first three bytes, "NES", before the game check.
constexpr size_t kNesMagicBytes = 3;
constexpr int kImportReturner = 4;  // "RB 3"

// The image with a search for the 0xFF after the last player entry; any read
// outside it marks the image as not ours.
class ImageReader : public cartridge::ImageView {
 public:
  using ImageView::ImageView;

  std::string Bytes(size_t begin, size_t end) const { return Text(begin, end); }

  // Offset of the first 0xFF at or after `from`.
  size_t FindEntriesEnd(size_t from) const {
    for (size_t at = from; at < size(); ++at) {
      if (Byte(at) == cartridge::kEntriesEnd) return at;
    }
    Failed();
    return from;
  }
};

// A cartridge text as a record field: it ends at a zero byte (the import keeps
// C strings), bytes that would split a record line become blanks, and it is
// cut to the 63 characters a team record holds.
std::string RecordText(std::string text) {
  text = text.substr(0, text.find('\0'));
  for (char& c : text) {
    if (c == '\x01' || c == '\r' || c == '\n') c = ' ';
  }
  if (text.size() > kMaxTextFieldLength) text.resize(kMaxTextFieldLength);
  return text;
}

bool IsUpperCase(char c) { return c >= 'A' && c <= 'Z'; }

// Split at the first upper-case letter; with no first name the whole text is
// the last name. A zero byte ends the whole name, as it ends a C string.
void SplitName(std::string name, PlayerRecord& player) {
  name = name.substr(0, name.find('\0'));
  const auto upper = std::find_if(name.begin(), name.end(), IsUpperCase);
  if (upper == name.begin() || upper == name.end()) {
    player.firstName.clear();
    player.lastName = RecordText(name);
    return;
  }
  player.firstName = RecordText(std::string(name.begin(), upper));
  player.lastName = RecordText(std::string(upper, name.end()));
}

void ReadTexts(const ImageReader& reader, int t, CartridgeTeam& team) {
  const auto text = [&](const TeamTable& pointers, size_t& offset) {
    offset = reader.TextPointer(pointers.Of(t));
    const size_t end = reader.TextPointer(pointers.Of(t + 1));
    return RecordText(reader.Bytes(offset, end));
  };
  TeamHeader& header = team.record.header;
  header.abbreviation = text(cartridge::kAbbreviationPointers, team.abbreviationOffset);
  header.city = text(cartridge::kCityPointers, team.cityOffset);
  header.nickname = text(cartridge::kNicknamePointers, team.nicknameOffset);
}

void ReadColoursAndPlaybook(const ImageReader& reader, int t, TeamHeader& header) {
  for (const cartridge::TeamByteField& f : cartridge::kTeamByteFields) {
    if (!f.copy) header.*TeamNumberFields[static_cast<size_t>(f.field)] = reader.Byte(f.table.Of(t) + f.byte);
  }
}

// Entry p runs to entry p + 1, the last of a team to the next team's first,
// and the very last to the closing 0xFF.
void ReadNames(const ImageReader& reader, CartridgeTeams& teams) {
  for (size_t t = 0; t < teams.size(); ++t) {
    CartridgeTeam& team = teams[t];
    for (size_t p = 0; p < kPlayerCount; ++p) {
      const size_t entry = team.entryOffsets[p];
      size_t end = 0;
      if (p + 1 < kPlayerCount) {
        end = team.entryOffsets[p + 1];
      } else if (t + 1 < teams.size()) {
        end = teams[t + 1].entryOffsets[0];
      } else {
        end = reader.FindEntriesEnd(entry + 1);
      }
      PlayerRecord& player = team.record.players[p];
      player.jersey = reader.Byte(entry);
      SplitName(reader.Bytes(entry + 1, end), player);
    }
  }
}

void ReadRatings(const ImageReader& reader, CartridgeTeams& teams) {
  size_t at = cartridge::kAttributes.base;
  for (CartridgeTeam& team : teams) {
    for (int p = 0; p < kPlayerCount; ++p) {
      at += cartridge::DecodeAttributes(reader, at, p, team.record.players[static_cast<size_t>(p)]);
    }
  }
}

}  // namespace

Result<std::vector<uint8_t>> ReadCartridgeFile(const fs::path& path) {
  Result<std::vector<uint8_t>> bytes = base::ReadFileBytes(path, kMaxCartridgeFileBytes);
  // The described message, and on its second line why the file could not be read.
  if (!bytes) return Fail(std::string(kRomLoadFailedMessage) + "\n" + bytes.error());
  return bytes;
}

Status CheckCartridgeImage(std::span<const uint8_t> image) {
  const auto magic = std::span(cartridge::kHeader).first(kNesMagicBytes);
  if (image.size() < magic.size() || !std::equal(magic.begin(), magic.end(), image.begin())) {
    return Fail(std::string(kRomNotNesMessage));
  }
  const auto& check = cartridge::kGameCheck;
  if (image.size() < cartridge::kGameCheckOffset + check.size() ||
      !std::equal(check.begin(), check.end(), image.begin() + cartridge::kGameCheckOffset)) {
    return Fail(std::string(kRomNotRecognisedMessage));
  }
  return {};
}

Result<CartridgeTeams> ExtractCartridgeTeams(std::span<const uint8_t> image) {
  if (Status check = CheckCartridgeImage(image); !check) return Fail(check.error());
  ImageReader reader(image);
  CartridgeTeams teams{};
  for (int t = 0; t < cartridge::kTeamCount && reader.ok(); ++t) {
    CartridgeTeam& team = teams[static_cast<size_t>(t)];
    team.playerTableOffset = reader.PlayerPointer(cartridge::kPlayerTablePointers.Of(t));
    for (size_t p = 0; p < kPlayerCount; ++p) {
      team.entryOffsets[p] = reader.PlayerPointer(team.playerTableOffset + 2 * p);
    }
    ReadTexts(reader, t, team);
    ReadColoursAndPlaybook(reader, t, team.record.header);
    TeamHeader& header = team.record.header;
    header.formation = cartridge::FormationOfTeam(t);
    header.kickReturner = kImportReturner;
    header.puntReturner = kImportReturner;
    header.fieldCount = kImportTeamFieldCount;
  }
  if (reader.ok()) ReadNames(reader, teams);
  if (reader.ok()) ReadRatings(reader, teams);
  if (!reader.ok()) return Fail(std::string(kRomNotRecognisedMessage));
  return teams;
}

Status CheckTeamsWhole(const CartridgeTeams& teams) {
  for (size_t t = 0; t < teams.size(); ++t) {
    const TeamRecord& team = teams[t].record;
    const std::string name = "cartridge team " + std::to_string(t);
    const std::pair<const std::string*, const char*> texts[] = {
        {&team.header.city, "city"}, {&team.header.nickname, "nickname"}, {&team.header.abbreviation, "abbreviation"}};
    for (const auto& [text, what] : texts) {
      if (text->empty()) return Fail(name + " has no " + what);
    }
    for (size_t p = 0; p < team.players.size(); ++p) {
      if (team.players[p].lastName.empty()) {
        return Fail(name + " (" + TeamDisplayName(team.header) + ") has no name for its player " +
                    std::string(PositionNames[p]));
      }
    }
  }
  return {};
}

namespace {

// The answers given before the lock, by incoming team and the existing file they were about.
using Answers = std::map<std::pair<int, fs::path>, bool>;

struct TeamPlan {
  bool write = true;
  std::vector<fs::path> replace;
};

TeamPlan PlanTeam(const TeamListing& listing, int index, const TeamHeader& team, Answers& answers,
                  const OverwriteQuestion& overwrite) {
  TeamPlan plan;
  for (const TeamListEntry& existing : FindDuplicates(listing, team)) {
    const std::pair key{index, existing.path};
    auto answer = answers.find(key);
    if (answer == answers.end()) answer = answers.emplace(key, overwrite(team, existing)).first;
    plan.write = answer->second;
    if (plan.write) plan.replace.push_back(existing.path);
  }
  return plan;
}

}  // namespace

Result<ImportReport> WriteCartridgeTeams(const fs::path& leagueFolder, const CartridgeTeams& teams,
                                         std::vector<int> selection, const OverwriteQuestion& overwrite,
                                         const TeamPicture& picture) {
  std::sort(selection.begin(), selection.end());
  selection.erase(std::unique(selection.begin(), selection.end()), selection.end());
  const auto valid = [](int index) { return index >= 0 && index < cartridge::kTeamCount; };
  const auto recordOf = [&teams](int index) -> const TeamRecord& { return teams[static_cast<size_t>(index)].record; };

  // The questions, on the league as it is before the import; no lock is held
  // while the user thinks.
  Result<TeamListing> before = ListTeams(leagueFolder);
  if (!before) return Fail(before.error());
  Answers answers;
  for (const int index : selection) {
    if (valid(index)) (void)PlanTeam(before.value(), index, recordOf(index).header, answers, overwrite);
  }

  Result<LeagueWriter> writer = LeagueWriter::Open(leagueFolder);
  if (!writer) return Fail(writer.error());
  // The league as it is now; teams written by this import are not compared.
  Result<TeamListing> now = writer.value().ListTeams();
  if (!now) return Fail(now.error());
  ImportReport report;
  report.leftovers = writer.value().removedLeftovers();
  for (const int index : selection) {
    if (!valid(index)) {
      report.failures.push_back("There is no cartridge team " + std::to_string(index));
      continue;
    }
    const TeamRecord& record = recordOf(index);
    const TeamPlan plan = PlanTeam(now.value(), index, record.header, answers, overwrite);
    if (!plan.write) {
      report.kept.push_back(index);
      continue;
    }
    Result<std::string> content = FormatTeamRecord(record, TeamLineForm::kImport);
    if (!content) {
      report.failures.push_back("Unable to write team " + TeamDisplayName(record.header) + ": " + content.error());
      continue;
    }
    Result<PlacedTeam> placed = writer.value().ReplaceTeam(plan.replace, content.value(), record.header, picture);
    if (!placed) {
      report.failures.push_back(placed.error());
      continue;
    }
    report.written.push_back(placed.value().path);
    report.replaced.insert(report.replaced.end(), plan.replace.begin(), plan.replace.end());
    report.failures.insert(report.failures.end(), placed.value().failures.begin(), placed.value().failures.end());
  }
  return report;
}

}  // namespace qgu::league

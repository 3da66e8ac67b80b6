// A dynasty's years going by: the season played, the offseason's steps one
// after another, the next season made.
#include <algorithm>
#include <map>

#include "base/file_write.h"
#include "dynasty/dynasty.h"
#include "dynasty/dynasty_files.h"
#include "league/folder_lock.h"
#include "season/season.h"
#include "season/season_files.h"

namespace qgu::dynasty {
namespace {

namespace fs = std::filesystem;
namespace json = season::json;

void Say(const AdvanceRequest& request, const std::string& line) {
  if (request.progress) request.progress(line);
}

std::string YearText(int year) { return "year " + std::to_string(year); }

// The season has its champion, or it has no playoffs and every game is played.
bool SeasonFinished(const season::Season& s) {
  if (s.definition.playoffTeams >= 2) return season::SeasonBracket(s).champion.has_value();
  int regular = 0;
  for (const season::GameRecord& g : s.games) regular += g.id < season::kPlayoffGameBase ? 1 : 0;
  return regular == static_cast<int>(s.definition.schedule.size());
}

// Worst first: teams out of the playoffs by the league table, then playoff
// teams by the round they went out in, the champion last.
base::Result<std::vector<std::string>> DraftOrder(const Dynasty& dynasty, int year) {
  base::Result<season::Season> opened = season::OpenSeason(dynasty.folder, dynasty.SeasonName(year));
  if (!opened) return base::Fail(opened.error());
  const season::Season& s = opened.value();
  const season::StandingsGroup table = season::LeagueTable(s);
  const season::Bracket bracket = season::SeasonBracket(s);
  const int teamCount = static_cast<int>(s.definition.teams.size());
  std::vector<int> reached(static_cast<size_t>(teamCount), 0);  // 0: out of the playoffs
  for (const season::PlayoffSeed& seed : bracket.seeds) reached[static_cast<size_t>(seed.team)] = 1;
  for (const season::BracketGame& g : bracket.games) {
    if (g.winner) reached[static_cast<size_t>(*g.winner)] = std::max(reached[static_cast<size_t>(*g.winner)], g.round + 1);
  }
  if (bracket.champion) reached[static_cast<size_t>(*bracket.champion)] = bracket.rounds + 2;
  std::vector<int> rank(static_cast<size_t>(teamCount), teamCount);
  for (size_t i = 0; i < table.rows.size(); ++i) rank[static_cast<size_t>(table.rows[i].team)] = static_cast<int>(i);
  std::vector<int> teams(static_cast<size_t>(teamCount));
  for (int t = 0; t < teamCount; ++t) teams[static_cast<size_t>(t)] = t;
  std::stable_sort(teams.begin(), teams.end(), [&](int a, int b) {
    if (reached[static_cast<size_t>(a)] != reached[static_cast<size_t>(b)]) {
      return reached[static_cast<size_t>(a)] < reached[static_cast<size_t>(b)];
    }
    return rank[static_cast<size_t>(a)] > rank[static_cast<size_t>(b)];
  });
  std::vector<std::string> order;
  for (int t : teams) order.push_back(s.definition.teams[static_cast<size_t>(t)].file);
  return order;
}

template <class T>
base::Result<T> ReadStep(const Dynasty& dynasty, int year, std::string_view step,
                         base::Result<T> (*from)(const json::Value&)) {
  const fs::path path = StepPath(dynasty, year, step);
  base::Result<json::Value> value = ReadStateFile(path);
  if (!value) return base::Fail(value.error());
  base::Result<T> parsed = from(value.value());
  if (!parsed) return base::Fail(path.string() + ": " + parsed.error());
  return parsed;
}

// The rosters as the steps done so far (up to and without `until`) left them.
struct Replayed {
  Rosters rosters;
  Development development;
  Retirements retirements;
  RookieClass rookies;
};

base::Result<Replayed> Replay(const Dynasty& dynasty, int year, std::string_view until) {
  base::Result<Rosters> rosters = RostersOf(dynasty, year);
  if (!rosters) return base::Fail(rosters.error());
  Replayed r{rosters.value(), {}, {}, {}};
  if (until == kStepDevelopment) return r;
  base::Result<Development> development = ReadStep(dynasty, year, kStepDevelopment, &DevelopmentFromJson);
  if (!development) return base::Fail(development.error());
  r.development = development.value();
  Apply(r.rosters, r.development);
  if (until == kStepRetirements) return r;
  base::Result<Retirements> retirements = ReadStep(dynasty, year, kStepRetirements, &RetirementsFromJson);
  if (!retirements) return base::Fail(retirements.error());
  r.retirements = retirements.value();
  Apply(r.rosters, r.retirements, year);
  if (until == kStepRookies) return r;
  base::Result<RookieClass> rookies = ReadStep(dynasty, year, kStepRookies, &RookiesFromJson);
  if (!rookies) return base::Fail(rookies.error());
  r.rookies = rookies.value();
  return r;
}

base::Status WriteAndJournal(Dynasty& dynasty, int year, std::string_view step, const json::Value& value) {
  if (base::Status written = WriteStateFile(StepPath(dynasty, year, step), value); !written) return written;
  return JournalStep(dynasty, year, step);
}

std::set<std::string> PeopleOf(const Dynasty& dynasty, bool computerPicks) {
  if (computerPicks) return {};
  return {dynasty.definition.userTeams.begin(), dynasty.definition.userTeams.end()};
}

// The draft worked out again with the picks people made (kept in its file).
base::Result<Draft> CurrentDraft(const Dynasty& dynasty, int year, const Replayed& r, bool computerPicks) {
  base::Result<std::vector<std::string>> order = DraftOrder(dynasty, year);
  if (!order) return base::Fail(order.error());
  const std::set<std::string> people = PeopleOf(dynasty, computerPicks);
  std::vector<Pick> made;
  if (base::Result<Draft> saved = ReadStep(dynasty, year, kStepDraft, &DraftFromJson)) {
    for (const Pick& p : saved.value().picks) {
      if (people.count(p.team)) made.push_back(p);
    }
  }
  return RunDraft(r.rosters, r.rookies, order.value(), people, made);
}

// One offseason step of the year, when it is not done yet; `waiting` is set
// when the draft stops for a person's pick.
base::Status RunStep(Dynasty& dynasty, int year, std::string_view step, const AdvanceRequest& request, bool& waiting) {
  if (dynasty.Done(year, step)) return {};
  const uint32_t seed = dynasty.definition.seed;
  if (step == kStepHistory) {
    if (base::Status kept = KeepHistory(dynasty, year); !kept) return kept;
    return JournalStep(dynasty, year, step);
  }
  if (!dynasty.definition.offseason) {
    if (step != kStepRosters) return {};
    // Multi Season: the same rosters and players the next year.
    base::Result<Registry> registry = RegistryOf(dynasty, year);
    if (!registry) return base::Fail(registry.error());
    Registry next = registry.value();
    next.year = year + 1;
    if (base::Status written = WriteStateFile(RegistryPath(dynasty, year + 1), RegistryJson(next)); !written) {
      return written;
    }
    return JournalStep(dynasty, year, step);
  }
  base::Result<Replayed> r = Replay(dynasty, year, step);
  if (!r) return base::Fail(r.error());
  if (step == kStepDevelopment) {
    const Development d = Develop(r.value().rosters, year, seed);
    int better = 0, worse = 0;
    for (const Development::Change& c : d.changes) {
      better += c.fell < 0;
      worse += c.fell > 0;
    }
    Say(request, YearText(year) + ": development: " + std::to_string(better) + " players better, " +
                     std::to_string(worse) + " worse");
    return WriteAndJournal(dynasty, year, step, DevelopmentJson(d));
  }
  if (step == kStepRetirements) {
    const Retirements retired = Retire(r.value().rosters, r.value().development, year, seed);
    Say(request, YearText(year) + ": " + std::to_string(retired.ids.size()) + " players retire");
    return WriteAndJournal(dynasty, year, step, RetirementsJson(retired));
  }
  if (step == kStepRookies) {
    const RookieClass rookies = MakeRookies(r.value().rosters, dynasty.definition.founding, year, seed);
    Say(request, YearText(year) + ": a rookie class of " + std::to_string(rookies.rookies.size()));
    return WriteAndJournal(dynasty, year, step, RookiesJson(rookies));
  }
  if (step == kStepDraft) {
    base::Result<Draft> draft = CurrentDraft(dynasty, year, r.value(), request.computerPicks);
    if (!draft) return base::Fail(draft.error());
    if (!draft.value().Done()) {
      waiting = true;
      Say(request, YearText(year) + ": the draft waits for " + *draft.value().waitingFor + "'s pick");
      return WriteStateFile(StepPath(dynasty, year, step), DraftJson(draft.value()));
    }
    Say(request, YearText(year) + ": the draft: " + std::to_string(draft.value().picks.size()) + " picks");
    return WriteAndJournal(dynasty, year, step, DraftJson(draft.value()));
  }
  // The rosters: next year's team files and players.
  base::Result<Draft> draft = ReadStep(dynasty, year, kStepDraft, &DraftFromJson);
  if (!draft) return base::Fail(draft.error());
  const Rosters next = NextRosters(r.value().rosters, r.value().rookies, draft.value().picks, year);
  if (base::Status written = WriteRosters(dynasty, next); !written) return written;
  if (base::Status written = WriteStateFile(RegistryPath(dynasty, year + 1), RegistryJson(next.registry)); !written) {
    return written;
  }
  return JournalStep(dynasty, year, step);
}

constexpr std::string_view kOffseasonSteps[] = {kStepHistory, kStepDevelopment, kStepRetirements,
                                                kStepRookies, kStepDraft,       kStepRosters};

// Jobs, kills and results recorded from other machines finish games in any
// order; the finished season's journal is written again in game order, so a
// dynasty's files are the same whichever way its games were played.
base::Status PutJournalInGameOrder(const Dynasty& dynasty, const std::string& name) {
  const fs::path folder = season::SeasonFolder(dynasty.folder, name);
  base::Result<season::CSeasonLock> lock = season::CSeasonLock::Take(folder);
  if (!lock) return base::Fail(lock.error());
  base::Result<season::Season> opened = season::OpenSeason(dynasty.folder, name);
  if (!opened) return base::Fail(opened.error());
  std::vector<season::GameRecord> games = opened.value().games;
  std::sort(games.begin(), games.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  std::string text;
  for (const season::GameRecord& game : games) text += season::GameLine(opened.value().definition, game) + "\n";
  return base::ReplaceFile(folder / season::kJournalFileName, text);
}

// The year's season, played as far as it can be; true when it is finished.
base::Result<bool> PlayYearSeason(Dynasty& dynasty, int year, const AdvanceRequest& request, AdvanceOutcome& outcome) {
  if (dynasty.Done(year, kStepSeasonPlayed)) return true;
  const std::string name = dynasty.SeasonName(year);
  base::Result<season::Season> opened = season::OpenSeason(dynasty.folder, name);
  if (!opened) return base::Fail(opened.error());
  if (!SeasonFinished(opened.value())) {
    if (request.offseasonOnly) return false;
    Say(request, YearText(year) + ": the season");
    season::PlayRequest play;
    play.image = request.image;
    play.scope = season::PlayScope::kAll;
    play.jobs = request.jobs;
    play.simUser = request.simUser;
    play.cancel = request.cancel;
    if (request.progress) {
      play.progress = [&request, year](const season::PlayProgress& p) {
        if (p.done == p.total || p.done % 50 == 0) {
          request.progress(YearText(year) + ": " + std::to_string(p.done) + " of " + std::to_string(p.total) +
                           " games, " + p.last);
        }
      };
    }
    base::Result<season::PlayOutcome> played = season::PlaySeason(dynasty.folder, name, play);
    if (!played) return base::Fail(played.error());
    outcome.gamesPlayed += played.value().played;
    outcome.leftForUser += played.value().leftForUser;
    outcome.problems.insert(outcome.problems.end(), played.value().problems.begin(), played.value().problems.end());
    outcome.cancelled = played.value().cancelled;
    opened = season::OpenSeason(dynasty.folder, name);
    if (!opened) return base::Fail(opened.error());
    if (!SeasonFinished(opened.value())) return false;
  }
  if (base::Status ordered = PutJournalInGameOrder(dynasty, name); !ordered) return base::Fail(ordered.error());
  if (base::Status j = JournalStep(dynasty, year, kStepSeasonPlayed); !j) return base::Fail(j.error());
  return true;
}

// One run at work on a dynasty at a time.
base::Result<league::FolderLock> TakeRunLock(const Dynasty& dynasty) {
  base::Result<std::optional<league::FolderLock>> lock = league::FolderLock::TryTake(dynasty.StateFolder());
  if (!lock) return base::Fail(lock.error());
  if (!lock.value()) return base::Fail("another run is at work on the dynasty " + dynasty.definition.name);
  return std::move(*lock.value());
}

// What a run killed in the middle of a write left: temporary files of the
// state folder (the files themselves are whole, from the run before or none).
void RemoveLeftovers(const Dynasty& dynasty) {
  std::error_code error;
  std::vector<fs::path> leftovers;
  for (auto it = fs::recursive_directory_iterator(dynasty.StateFolder(), error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file(error) && base::IsTemporaryName(it->path().filename().string())) {
      leftovers.push_back(it->path());
    }
  }
  for (const fs::path& path : leftovers) fs::remove(path, error);
}

}  // namespace

base::Result<AdvanceOutcome> Advance(const fs::path& leaguesFolder, std::string_view name,
                                     const AdvanceRequest& request) {
  base::Result<Dynasty> opened = OpenDynasty(leaguesFolder, name);
  if (!opened) return base::Fail(opened.error());
  Dynasty dynasty = opened.value();
  base::Result<league::FolderLock> lock = TakeRunLock(dynasty);
  if (!lock) return base::Fail(lock.error());
  RemoveLeftovers(dynasty);
  AdvanceOutcome outcome;
  while (outcome.yearsFinished < request.years) {
    if (request.cancel && request.cancel->load()) {
      outcome.cancelled = true;
      break;
    }
    const int year = dynasty.state.year;
    base::Result<bool> finished = PlayYearSeason(dynasty, year, request, outcome);
    if (!finished) return base::Fail(finished.error());
    if (!finished.value() || outcome.cancelled || !outcome.problems.empty()) break;
    bool waiting = false;
    for (std::string_view step : kOffseasonSteps) {
      if (base::Status ran = RunStep(dynasty, year, step, request, waiting); !ran) return base::Fail(ran.error());
      if (waiting) break;
    }
    if (waiting) {
      outcome.waitingForPick = true;
      break;
    }
    if (base::Status made = MakeSeason(dynasty, year + 1); !made) return base::Fail(made.error());
    dynasty.state.year = year + 1;
    ++outcome.yearsFinished;
    Say(request, YearText(year) + " finished; " + YearText(year + 1) + "'s season is made");
  }
  return outcome;
}

base::Result<DraftView> DraftOf(const Dynasty& dynasty, std::optional<int> asked) {
  const int year = asked.value_or(dynasty.state.year);
  if (!dynasty.Done(year, kStepRookies)) return base::Fail("the rookie class of year " + std::to_string(year) + " is not made yet");
  base::Result<Replayed> r = Replay(dynasty, year, kStepDraft);
  if (!r) return base::Fail(r.error());
  base::Result<Draft> draft = dynasty.Done(year, kStepDraft) ? ReadStep(dynasty, year, kStepDraft, &DraftFromJson)
                                                              : CurrentDraft(dynasty, year, r.value(), false);
  if (!draft) return base::Fail(draft.error());
  return DraftView{year, draft.value(), r.value().rookies, r.value().rosters};
}

base::Result<OffseasonView> OffseasonOf(const Dynasty& dynasty, int year) {
  base::Result<Rosters> before = RostersOf(dynasty, year);
  if (!before) return base::Fail(before.error());
  OffseasonView view{year, before.value(), {}, {}, {}, {}};
  if (dynasty.Done(year, kStepDevelopment)) {
    base::Result<Development> d = ReadStep(dynasty, year, kStepDevelopment, &DevelopmentFromJson);
    if (!d) return base::Fail(d.error());
    view.development = d.value();
  }
  if (dynasty.Done(year, kStepRetirements)) {
    base::Result<Retirements> r = ReadStep(dynasty, year, kStepRetirements, &RetirementsFromJson);
    if (!r) return base::Fail(r.error());
    view.retirements = r.value();
  }
  if (dynasty.Done(year, kStepRookies)) {
    base::Result<RookieClass> r = ReadStep(dynasty, year, kStepRookies, &RookiesFromJson);
    if (!r) return base::Fail(r.error());
    view.rookies = r.value();
    if (base::Result<Draft> d = ReadStep(dynasty, year, kStepDraft, &DraftFromJson)) view.draft = d.value();
  }
  return view;
}

base::Status MakePick(const fs::path& leaguesFolder, std::string_view name, int rookie) {
  base::Result<Dynasty> opened = OpenDynasty(leaguesFolder, name);
  if (!opened) return base::Fail(opened.error());
  Dynasty dynasty = opened.value();
  base::Result<league::FolderLock> lock = TakeRunLock(dynasty);
  if (!lock) return base::Fail(lock.error());
  base::Result<DraftView> view = DraftOf(dynasty);
  if (!view) return base::Fail(view.error());
  Draft draft = view.value().draft;
  if (!draft.waitingFor) return base::Fail("the draft of year " + std::to_string(view.value().year) + " waits for no pick");
  const std::string team = *draft.waitingFor;
  if (rookie == 0) {
    // The computer's choice for the person's team, at this turn.
    std::set<std::string> others = PeopleOf(dynasty, false);
    others.erase(team);
    const Draft chosen = RunDraft(view.value().rosters, view.value().rookies, draft.order, others, draft.picks);
    const auto mine = std::find_if(chosen.picks.begin(), chosen.picks.end(),
                                   [&](const Pick& p) { return p.overall == draft.waitingPick; });
    // Nobody left helps the team: the computer would pass.
    rookie = mine == chosen.picks.end() ? kPassed : mine->rookie;
  }
  if (base::Status ok = CheckPick(draft, view.value().rookies, rookie); !ok) return ok;
  draft.picks.push_back({draft.waitingRound, draft.waitingPick, team, rookie});
  draft.waitingFor.reset();
  return WriteStateFile(StepPath(dynasty, view.value().year, kStepDraft), DraftJson(draft));
}

}  // namespace qgu::dynasty

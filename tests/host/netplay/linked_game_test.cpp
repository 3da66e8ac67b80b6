// Two linked games in one process over a socket pair, on the embedded
// cartridge. One byte of the joining side's console RAM (the home team's
// score) is changed mid-game: the state hashes differ at the next check, the
// host's game goes to the joining side, both go on from it and end with equal
// state hashes and equal summaries, each having said that it happened. And a
// resync whose host sends what is no snapshot of this machine ends the link
// with a reason on both sides, the joining side's machine untouched; so is a
// late watcher's game under way that does not fit.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <future>
#include <map>
#include <memory>
#include <mutex>

#include "cartridge/builder/embedded_image.h"
#include "core/machine.h"
#include "driver/box_score.h"
#include "driver/cartridge_memory.h"
#include "driver/game_manager.h"
#include "driver/play_calling.h"
#include "driver/random_source.h"
#include "host/linked_game.h"
#include "league/default_league.h"
#include "tests/support/temp_folder.h"

namespace qgu::host {
namespace {

constexpr uint32_t kSeed = 2024;
constexpr int64_t kChangedAt = 2990;  // frames: well into the first quarter, before a check
constexpr uint16_t kHomeTotal = driver::cartmem::kHomePeriodScores + 4;

class LinkedGameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new qgu::testing::TempFolder();
    const auto league = league::EnsureDefaultLeague(folder_->File(""), cartridge::EmbeddedCartridgeImage());
    ASSERT_TRUE(league.ok()) << league.error();
    leagueFolder_ = new std::filesystem::path(league.value().folder);
  }
  static void TearDownTestSuite() {
    delete leagueFolder_;
    delete folder_;
  }

  static std::unique_ptr<driver::CGameManager> Prepared() {
    auto manager = std::make_unique<driver::CGameManager>(cartridge::EmbeddedCartridgeImage(),
                                                          std::make_unique<driver::CSeededRandom>(kSeed));
    manager->SetHomePath((*leagueFolder_ / "CALD0.dat").string());
    manager->SetAwayPath((*leagueFolder_ / "FELL0.dat").string());
    manager->SetQuarterLength(1);
    manager->SetControls(driver::kControlCom, driver::kControlCom);
    EXPECT_TRUE(manager->PrepareGame()) << manager->PrepareError();
    return manager;
  }

  static inline qgu::testing::TempFolder* folder_ = nullptr;
  static inline std::filesystem::path* leagueFolder_ = nullptr;
};

struct Side {
  std::unique_ptr<driver::CGameManager> manager;
  CNetplayLink link;
  LinkedGameOptions options;
  std::mutex mutex;
  std::map<int64_t, uint64_t> hashes;

  void Record() {
    options.stateHash = [this](int64_t frame, uint64_t hash) {
      std::lock_guard lock(mutex);
      hashes[frame] = hash;
    };
  }
};

std::pair<int, int> SocketPair() {
  int ends[2] = {-1, -1};
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
  return {ends[0], ends[1]};
}

TEST_F(LinkedGameTest, AByteOfConsoleRamChangedOnOneSideIsMendedFromTheHostsGame) {
  Side host, joiner;
  host.manager = Prepared();
  joiner.manager = Prepared();
  const auto [a, b] = SocketPair();
  const NetGreeting greeting{1, 0, kSeed, {}};
  host.link.Adopt(a, true, greeting);
  joiner.link.Adopt(b, false, greeting);
  host.link.SetPeerName("Joe");
  host.Record();
  joiner.Record();
  std::string readOut;  // the host's, a second after the resync
  const auto hashed = host.options.stateHash;
  host.options.stateHash = [&](int64_t frame, uint64_t hash) {
    hashed(frame, hash);
    if (frame == (kChangedAt / 60 + 2) * 60) readOut = host.link.StatusText(false);
  };
  uint8_t before = 0;
  joiner.options.afterFrame = [&](int64_t frame, core::CMachine& machine) {
    if (frame != kChangedAt) return;
    before = machine.PeekByte(kHomeTotal);
    machine.PokeByte(kHomeTotal, static_cast<uint8_t>(before + 0x10));
  };
  auto joined = std::async(std::launch::async, [&] { return PlayLinkedGame(*joiner.manager, joiner.link, joiner.options); });
  const LinkedGameResult hosted = PlayLinkedGame(*host.manager, host.link, host.options);
  const LinkedGameResult joinedResult = joined.get();

  for (const LinkedGameResult* result : {&hosted, &joinedResult}) {
    // The side that ends first may leave the other's last frames alone.
    EXPECT_TRUE(result->linkClosed.empty() || result->linkClosed == "the other side has left") << result->linkClosed;
    EXPECT_EQ(result->error, "");
    ASSERT_TRUE(result->summary.has_value());
  }
  EXPECT_EQ(driver::BoxScoreText(*hosted.summary), driver::BoxScoreText(*joinedResult.summary));
  // One resync, told on both sides, at the first check after the change.
  const int64_t checked = (kChangedAt / 60 + 1) * 60;
  ASSERT_EQ(hosted.resyncs.size(), 1u);
  ASSERT_EQ(joinedResult.resyncs.size(), 1u);
  EXPECT_EQ(hosted.resyncs[0].rfind("Out of step at frame " + std::to_string(checked) + ": Joe went on from this side's game at frame ", 0), 0u)
      << hosted.resyncs[0];
  EXPECT_EQ(joinedResult.resyncs[0].rfind("Out of step at frame " + std::to_string(checked) + ": went on from the host's game at frame ", 0), 0u)
      << joinedResult.resyncs[0];
  EXPECT_NE(readOut.find("Joe  delay 2 frames  out of step: resynced at frame "), std::string::npos) << readOut;
  EXPECT_EQ(host.link.Resyncs(), 1);
  EXPECT_EQ(joiner.link.Resyncs(), 1);
  // The change counted: the two machines differed at that check, and at none after it.
  EXPECT_NE(host.hashes.at(checked), joiner.hashes.at(checked));
  // (The side that ends second runs on alone a little: its last hashes are its own only.)
  size_t compared = 0;
  for (const auto& [frame, hash] : host.hashes) {
    const auto theirs = joiner.hashes.find(frame);
    if (theirs == joiner.hashes.end() || (frame >= kChangedAt && frame <= checked)) continue;
    EXPECT_EQ(hash, theirs->second) << "frame " << frame;
    ++compared;
  }
  EXPECT_GE(compared + 1, std::min(host.hashes.size(), joiner.hashes.size()));
}

TEST_F(LinkedGameTest, AHostsGameThatDoesNotFitIsRefusedAndTheJoiningSideKeepsItsOwn) {
  // The joining side's machine and link checks; the host's bytes are written by hand.
  auto manager = Prepared();
  core::CMachine machine(manager->WorkingImage());
  for (int frame = 0; frame < 120; ++frame) machine.RunFrame(false);
  const auto [a, b] = SocketPair();
  CNetplayLink joiner;
  joiner.Adopt(a, false, {0, 0, 1, {}});
  std::vector<std::string> told;
  StateCheckOptions checking;
  checking.resynced = [&](const std::string& text) { told.push_back(text); };
  const auto checkState = LinkStateChecks(machine, joiner, checking);
  CPrivateSnapshot own;
  const auto ownBytes = own.Take(machine);
  ASSERT_TRUE(ownBytes) << ownBytes.error();

  // The host's third packet carries a hash that cannot match the joiner's second: a mismatch after frame 2.
  std::vector<uint8_t> stream(16, 0);  // the sync packet and the first frame's
  const std::vector<uint8_t> hashed = {0, 0, 0, 0, 'H', 1, 2, 3};
  stream.insert(stream.end(), hashed.begin(), hashed.end());
  std::vector<uint8_t> game = ownBytes.value();
  game[40] ^= 0xFF;  // the first block's header: no longer this machine's layout
  const std::vector<uint8_t> announced = {2, 0, 0, 0, 'S', static_cast<uint8_t>(game.size()),
                                          static_cast<uint8_t>(game.size() >> 8), static_cast<uint8_t>(game.size() >> 16)};
  stream.insert(stream.end(), announced.begin(), announced.end());
  stream.insert(stream.end(), game.begin(), game.end());
  ASSERT_EQ(::write(b, stream.data(), stream.size()), static_cast<ssize_t>(stream.size()));
  EXPECT_TRUE(joiner.ExchangeFrameInput(0).has_value());
  checkState(60);  // a hash for the joiner's next packet
  EXPECT_TRUE(joiner.ExchangeFrameInput(0).has_value());
  EXPECT_FALSE(joiner.ExchangeFrameInput(0).has_value());
  EXPECT_EQ(joiner.CloseReason().rfind("out of step, and the host's game was refused: it does not fit this machine: ", 0), 0u)
      << joiner.CloseReason();
  EXPECT_TRUE(told.empty());
  const auto after = own.Take(machine);
  ASSERT_TRUE(after);
  EXPECT_EQ(after.value(), ownBytes.value());
  ::close(b);

  WatchJoin underWay{600, {}, {}, game};
  driver::DriverGame driverGame = driver::DriverGameFrom(*manager);
  const auto taken = TakeUpGameUnderWay(underWay, machine, *manager, driverGame);
  ASSERT_FALSE(taken);
  EXPECT_EQ(taken.error().rfind("the host's game under way was refused: it does not fit this machine: ", 0), 0u) << taken.error();
  EXPECT_FALSE(driverGame.joinedAt);
  EXPECT_EQ(own.Take(machine).value(), ownBytes.value());
}

}  // namespace
}  // namespace qgu::host

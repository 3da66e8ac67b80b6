#pragma once
// CGameManager: the main window's game state. Holds the working copy of the
// cartridge image, the two teams chosen for the next game with their control
// modes and quarter length, and the two play-calling profiles; prepares each
// game by writing both teams into a fresh copy of the embedded image.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "driver/console_memory.h"
#include "driver/play_calling.h"
#include "driver/random_source.h"
#include "driver/team_slots.h"
#include "league/team_record.h"

namespace qgu::driver {

// Shown the two helmet bitmaps of a prepared game (home, away) when a main
// window exists to show them.
using HelmetPresenter = std::function<void(const std::string& homeHelmet, const std::string& awayHelmet)>;

class CGameManager {
 public:
  static constexpr int kHomeProfile = 0;
  static constexpr int kAwayProfile = 1;

  // embeddedImage: the cartridge the program carries; copied, and cut or
  // zero-padded to kImageBytes. random: the play calling's generator; by
  // default one seeded with the time in seconds.
  explicit CGameManager(std::span<const uint8_t> embeddedImage, std::unique_ptr<IRandomSource> random = nullptr);
  virtual ~CGameManager();
  CGameManager(const CGameManager&) = delete;
  CGameManager& operator=(const CGameManager&) = delete;

  // Filled from the single game dialog before PrepareGame.
  void SetHomePath(std::string path) { homePath_ = std::move(path); }
  void SetAwayPath(std::string path) { awayPath_ = std::move(path); }
  void SetQuarterLength(int minutes) { quarterLength_ = minutes; }
  void SetControls(int p1Control, int p2Control) {
    p1Control_ = p1Control;
    p2Control_ = p2Control;
  }
  const std::string& HomePath() const { return homePath_; }
  const std::string& AwayPath() const { return awayPath_; }
  int QuarterLength() const { return quarterLength_; }
  int P1Control() const { return p1Control_; }
  int P2Control() const { return p2Control_; }
  // (P1 mode << 4) + P2 mode, as the cartridge reads it.
  uint8_t ControlByte() const { return static_cast<uint8_t>((p1Control_ << 4) + p2Control_); }

  // 10 x home formation + away formation of the last prepared game; -1 before.
  int16_t FormationPairValue() const { return formationPairValue_; }

  // Refills the working image, reads each team record file once, writes both
  // teams into their formation's slots and loads their profiles. False
  // (nothing to start) for an empty path, a file that is not a whole team
  // record, or a formation other than 2, 3 or 4; PrepareError() says which.
  bool PrepareGame();
  const std::string& PrepareError() const { return prepareError_; }

  // The two teams as PrepareGame read them; the statistics take their names.
  const league::TeamRecord& HomeTeam() const { return homeTeam_; }
  const league::TeamRecord& AwayTeam() const { return awayTeam_; }

  // The play calling for one play, on the running machine's memory.
  void CallPlays(int possessionSide, IConsoleMemory& memory);

  // Optional: the main window's helmet control. Absent in headless runs.
  void SetHelmetPresenter(HelmetPresenter presenter) { helmetPresenter_ = std::move(presenter); }

  std::span<const uint8_t> WorkingImage() const { return workingImage_; }
  std::span<uint8_t> WorkingImage() { return workingImage_; }
  const PlayCallingProfile& Profile(int index) const { return profiles_[static_cast<size_t>(index & 1)]; }
  IRandomSource& Random() { return *random_; }
  // A linked game plays with the host's seed.
  void SetRandom(std::unique_ptr<IRandomSource> random) {
    random_ = std::move(random);
    draws_ = 0;
  }
  // The play calling's state in the game prepared last.
  PlayCallingState PlayCalling() const;
  // A game joined under way goes on from the host's play calling: after
  // PrepareGame, with the generator seeded as the host's was, the numbers the
  // host drew are drawn again.
  void ResumePlayCalling(const PlayCallingState& state);

 private:
  std::vector<uint8_t> embeddedImage_;
  std::vector<uint8_t> workingImage_;
  std::string homePath_;
  std::string awayPath_;
  league::TeamRecord homeTeam_;
  league::TeamRecord awayTeam_;
  std::string prepareError_;
  int quarterLength_ = 5;
  int p1Control_ = kControlMan;
  int p2Control_ = kControlCoa;
  int16_t formationPairValue_ = -1;
  std::array<PlayCallingProfile, 2> profiles_{};
  std::unique_ptr<IRandomSource> random_;
  uint32_t draws_ = 0;  // from random_ since it was set or the game prepared
  HelmetPresenter helmetPresenter_;
};

// A team record path with its last three characters replaced by "bmp".
std::string HelmetPathFor(const std::string& recordPath);

}  // namespace qgu::driver

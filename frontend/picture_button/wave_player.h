#pragma once
// Wave playback for the tool server's windows, in the manner of the Windows
// sound call: one sound at a time (a new one stops the last), played once or
// in a loop, from a ".wav" file. A file that cannot be played is skipped
// silently, as is everything when no sound device can be opened.
//
// Tests install their own player to see which sounds would be heard.

#include <filesystem>
#include <string>

namespace qgu::toolserver {

struct WaveRequest {
  std::filesystem::path file;
  bool loop = false;
};

class IWavePlayer {
 public:
  virtual ~IWavePlayer() = default;
  // Starts the sound and returns at once; false when it cannot be played.
  virtual bool Play(const WaveRequest& request) = 0;
  virtual void StopAll() = 0;
};

// The process's player: SDL2 audio, unless a test has installed another.
IWavePlayer& WavePlayer();
// Installs a player (nullptr restores SDL2); returns the one before.
IWavePlayer* SetWavePlayer(IWavePlayer* player);

}  // namespace qgu::toolserver

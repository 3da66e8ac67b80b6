#include "frontend/picture_button/wave_player.h"

#include <SDL.h>

#include <cstring>
#include <memory>
#include <vector>

namespace qgu::toolserver {
namespace {

// The sound being played; the audio callback (SDL's own thread) reads it
// until the device is closed, which waits for the callback to return.
struct PlayingWave {
  std::vector<uint8_t> samples;
  size_t position = 0;
  bool loop = false;
  uint8_t silence = 0;
};

void FillFromWave(void* userdata, Uint8* stream, int length) {
  auto* wave = static_cast<PlayingWave*>(userdata);
  size_t wanted = static_cast<size_t>(length);
  while (wanted > 0) {
    if (wave->position >= wave->samples.size()) {
      if (!wave->loop || wave->samples.empty()) break;
      wave->position = 0;
    }
    const size_t count = std::min(wanted, wave->samples.size() - wave->position);
    std::memcpy(stream, wave->samples.data() + wave->position, count);
    stream += count;
    wave->position += count;
    wanted -= count;
  }
  std::memset(stream, wave->silence, wanted);
}

class SdlWavePlayer : public IWavePlayer {
 public:
  ~SdlWavePlayer() override {
    StopAll();
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Play(const WaveRequest& request) override {
    StopAll();
    if (!StartAudio()) return false;
    SDL_AudioSpec spec{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(request.file.c_str(), &spec, &buffer, &length) == nullptr) return false;
    auto wave = std::make_unique<PlayingWave>();
    wave->samples.assign(buffer, buffer + length);
    SDL_FreeWAV(buffer);
    wave->loop = request.loop;
    spec.callback = FillFromWave;
    spec.userdata = wave.get();
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts to the device's format itself.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &spec, &obtained, 0);
    if (device == 0) return false;
    wave->silence = obtained.silence;
    wave_ = std::move(wave);
    device_ = device;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void StopAll() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    wave_.reset();
  }

 private:
  bool StartAudio() {
    if (!audioStarted_ && !audioFailed_) {
      // The host program decides what its signals do, not the sound library.
      SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
      audioStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
      audioFailed_ = !audioStarted_;
    }
    return audioStarted_;
  }

  bool audioStarted_ = false;
  bool audioFailed_ = false;
  SDL_AudioDeviceID device_ = 0;
  std::unique_ptr<PlayingWave> wave_;
};

SdlWavePlayer& SdlPlayer() {
  static SdlWavePlayer player;
  return player;
}

IWavePlayer* installedPlayer = nullptr;

}  // namespace

IWavePlayer& WavePlayer() { return installedPlayer != nullptr ? *installedPlayer : SdlPlayer(); }

IWavePlayer* SetWavePlayer(IWavePlayer* player) {
  IWavePlayer* before = installedPlayer != nullptr ? installedPlayer : &SdlPlayer();
  installedPlayer = player;
  return before;
}

}  // namespace qgu::toolserver

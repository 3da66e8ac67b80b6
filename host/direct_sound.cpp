#include "host/direct_sound.h"

#include <algorithm>
#include <cstring>

namespace qgu::host {
namespace {
// Samples SDL2 asks for at once: small, so the cursor moves in fine steps.
constexpr Uint16 kCallbackSamples = 256;
}  // namespace

CDirectSound::CDirectSound() = default;
CDirectSound::~CDirectSound() { Release(); }

league::Status CDirectSound::Initialize() {
  Release();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return league::Fail("CDirectSound:CoCreateInstance failed.");
  initialized_ = true;
  return {};
}

bool CDirectSound::SetSampleFormat(int rate, int bits) {
  if (!IsAcceptedSampleFormat(rate, bits)) return false;
  rate_ = rate;
  bits_ = bits;
  return true;
}

league::Status CDirectSound::CreateStreamBuffer() {
  ReleaseBuffer();
  if (!initialized_) return league::Fail("CDirectSound:DirectSound object uninitialized.");
  const SoundGeometry geometry = Geometry();
  SDL_AudioSpec wanted{};
  wanted.freq = rate_;
  wanted.format = bits_ == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  wanted.channels = 1;
  wanted.samples = kCallbackSamples;
  wanted.callback = &CDirectSound::Callback;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL2 converts to whatever the device plays.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) return league::Fail("CDirectSound:CreateSoundBuffer failed.");
  {
    std::lock_guard lock(ringMutex_);
    blocks_ = CSoundRing(geometry);
  }
  ring_.assign(geometry.totalBytes, Silence());
  staging_.assign(geometry.blockSize, Silence());
  cursor_ = 0;
  return {};
}

void CDirectSound::ReleaseBuffer() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  playing_ = false;
  paused_ = false;
}

void CDirectSound::Release() {
  ReleaseBuffer();
  if (initialized_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  initialized_ = false;
}

void CDirectSound::StartStream() {
  if (device_ == 0 || playing_) return;
  SDL_LockAudioDevice(device_);
  std::fill(ring_.begin(), ring_.end(), Silence());
  cursor_ = 0;
  SDL_UnlockAudioDevice(device_);
  {
    std::lock_guard lock(ringMutex_);
    blocks_.Rewind();
  }
  playing_ = true;
  paused_ = false;
  SDL_PauseAudioDevice(device_, 0);
}

void CDirectSound::StopStream() {
  if (!playing_) return;
  playing_ = false;
  SDL_PauseAudioDevice(device_, 1);  // returns once the callback has finished
  cursor_ = 0;
}

void CDirectSound::PauseStream() {
  if (!playing_ || paused_) return;
  paused_ = true;
  SDL_PauseAudioDevice(device_, 1);
}

void CDirectSound::ResumeStream() {
  if (!playing_ || !paused_) return;
  paused_ = false;
  SDL_PauseAudioDevice(device_, 0);
}

bool CDirectSound::NextFreeBlock(size_t& offset, size_t& size) {
  if (device_ == 0 || !playing_) return false;
  std::lock_guard lock(ringMutex_);
  return blocks_.NextFreeBlock(cursor_, offset, size);
}

uint8_t* CDirectSound::Lock(size_t offset, size_t size) {
  if (device_ == 0 || offset + size > ring_.size() || size > staging_.size()) return nullptr;
  stagingOffset_ = offset;
  stagingSize_ = size;
  return staging_.data();
}

void CDirectSound::Unlock() {
  if (device_ == 0) return;
  SDL_LockAudioDevice(device_);
  std::memcpy(ring_.data() + stagingOffset_, staging_.data(), stagingSize_);
  stagingSize_ = 0;
  SDL_UnlockAudioDevice(device_);
}

int64_t CDirectSound::BlocksMissed() const {
  std::lock_guard lock(ringMutex_);
  return blocks_.BlocksMissed();
}

void CDirectSound::Callback(void* self, Uint8* stream, int length) {
  static_cast<CDirectSound*>(self)->Play(stream, length);
}

// On SDL2's audio thread, with the device locked.
void CDirectSound::Play(Uint8* stream, int length) {
  if (!playing_ || ring_.empty()) {
    std::memset(stream, Silence(), static_cast<size_t>(length));
    return;
  }
  size_t cursor = cursor_;
  for (int done = 0; done < length;) {
    const size_t chunk = std::min(static_cast<size_t>(length - done), ring_.size() - cursor);
    std::memcpy(stream + done, ring_.data() + cursor, chunk);
    done += static_cast<int>(chunk);
    cursor = (cursor + chunk) % ring_.size();
  }
  cursor_ = cursor;
}

}  // namespace qgu::host

#pragma once
// CDirectSound: the sound stream on an SDL2 audio device. The emulator thread
// fills the ring one block ahead of the play cursor; SDL2's audio callback
// (its own thread) only copies out of the ring and moves the cursor. Mono
// PCM, 8-bit unsigned or 16-bit signed.
//
// How the window uses it: one for the process. Initialize; on failure show
// the text in a message box titled kDeviceErrorTitle with the error icon and
// go on without sound (the game runs the same). Then SetSampleFormat and
// SetBufferSize from "SamplingRate", "SamplingBits" and "BufferSize" (give
// the machine the format the sound output kept), CreateStreamBuffer (its
// failure text likewise), and hand it to the emulator thread
// (EmulatorDevices::sound), which starts, pauses and stops the stream.
// With SDL_AUDIODRIVER=dummy the device consumes sound in real time, unheard.

#include <SDL.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "host/runtime_devices.h"
#include "host/sound_ring.h"
#include "league/result.h"

namespace qgu::host {

inline constexpr const char* kDeviceErrorTitle = "ERROR";

class CDirectSound final : public ISoundStream {
 public:
  CDirectSound();
  ~CDirectSound() override;
  CDirectSound(const CDirectSound&) = delete;
  CDirectSound& operator=(const CDirectSound&) = delete;

  // The audio subsystem ("CDirectSound:CoCreateInstance failed." when there is none).
  league::Status Initialize();
  // False, keeping the previous format, for a pair that is not accepted.
  bool SetSampleFormat(int rate, int bits);
  // "BufferSize"; below 2 counts as 2.
  void SetBufferSize(int bufferSize) { bufferSize_ = bufferSize; }
  SoundGeometry Geometry() const { return ComputeSoundGeometry(rate_, bits_, bufferSize_); }
  // Opens the device with the format and makes the silent ring.
  league::Status CreateStreamBuffer();
  void ReleaseBuffer();
  void Release();
  bool Ready() const { return device_ != 0; }
  bool Playing() const { return playing_; }

  // ISoundStream, called by the emulator thread.
  void StartStream() override;
  void StopStream() override;
  void PauseStream() override;
  void ResumeStream() override;
  bool NextFreeBlock(size_t& offset, size_t& size) override;
  uint8_t* Lock(size_t offset, size_t size) override;
  void Unlock() override;
  int64_t BlocksMissed() const override;

 private:
  static void Callback(void* self, Uint8* stream, int length);
  void Play(Uint8* stream, int length);
  uint8_t Silence() const { return bits_ == 8 ? 0x80 : 0x00; }

  int rate_ = 22050;
  int bits_ = 8;
  int bufferSize_ = 4;
  bool initialized_ = false;
  SDL_AudioDeviceID device_ = 0;
  std::vector<uint8_t> ring_;  // read by the callback under the device lock
  std::atomic<size_t> cursor_{0};
  std::atomic<bool> playing_{false};
  std::atomic<bool> paused_{false};
  mutable std::mutex ringMutex_;  // the block bookkeeping
  CSoundRing blocks_{SoundGeometry{}};
  std::vector<uint8_t> staging_;
  size_t stagingOffset_ = 0;
  size_t stagingSize_ = 0;
};

}  // namespace qgu::host

#pragma once
// CNetplayLink: controller input between two programs in lockstep over a
// stream socket. Each step both sides send an 8-byte packet (bytes 0-3 the
// frame input, 4-7 zero) and both use the pair of packets sent latency + 1
// packets earlier, so both machines see the same input at the same frame.
// A step covers step length + 1 frames. The other side's bytes are
// untrusted: a malformed packet or more bytes than the ring holds ends the
// link with a clear reason; a wait of 10 s for the other side ends it too.
// The program then goes on without the other side.
//
// How the window (or qgu2 --headless) uses it: Host(port) or Join(host,
// port) before the game starts (the host's play-calling seed comes along in
// the greeting: both sides prepare the game with SharedSeed()), then hand it
// to the emulator thread (EmulatorDevices::link) and start the game driver
// before the emulator thread, so both drivers act at the same frames. The
// host plays pad 1, the joining side pad 2, each with its own controller 1.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "host/frame_clock.h"
#include "host/runtime_devices.h"
#include "league/result.h"

namespace qgu::host {

inline constexpr size_t kNetPacketBytes = 8;
inline constexpr size_t kNetRingBytes = 256;
inline constexpr int kNetTimeoutMs = 10000;
inline constexpr int kMaxNetLatency = 8;

// The received bytes not yet used, as a ring; Append refuses what the ring
// cannot hold and packets whose reserved bytes are not zero.
class CNetReceiveRing {
 public:
  void Clear();
  // Takes bytes from the other side; false with the reason on a violation.
  bool Append(std::span<const uint8_t> bytes, std::string& reason);
  size_t Buffered() const { return count_; }
  size_t FreeSpace() const { return kNetRingBytes - count_; }
  // The packet at the read position (8 bytes must be buffered).
  std::array<uint8_t, kNetPacketBytes> Front() const;
  void Pop();

 private:
  std::array<uint8_t, kNetRingBytes> bytes_{};
  size_t read_ = 0;
  size_t count_ = 0;
  size_t checked_ = 0;  // bytes of the current packet already checked
};

// The greeting each side sends once connected.
struct NetGreeting {
  int latency = 0;
  int stepLength = 0;
  uint32_t seed = 0;
};
std::array<uint8_t, 16> EncodeGreeting(const NetGreeting& greeting);
std::optional<NetGreeting> DecodeGreeting(std::span<const uint8_t> bytes);

class CNetplayLink final : public IFrameInputLink {
 public:
  explicit CNetplayLink(IFrameClock& clock);
  CNetplayLink();  // on the steady clock
  ~CNetplayLink() override;
  CNetplayLink(const CNetplayLink&) = delete;
  CNetplayLink& operator=(const CNetplayLink&) = delete;

  // The socket layer (nothing to start on this platform): enables the link.
  bool Start();
  void Release();

  // Waits up to timeoutMs for the other side to connect, greets it.
  league::Status Host(uint16_t port, const NetGreeting& greeting, int timeoutMs = 60000);
  // Connects (retrying until timeoutMs while the host is not yet listening), reads the greeting.
  league::Status Join(const std::string& host, uint16_t port, int timeoutMs = 60000);
  // Takes an already connected socket (tests use a socket pair).
  void Adopt(int socket, bool isHost, const NetGreeting& greeting);

  bool IsHost() const { return isHost_; }
  const NetGreeting& Greeting() const { return greeting_; }
  uint32_t SharedSeed() const { return greeting_.seed; }

  // The described operations.
  void Disconnect() override;
  int PollReceive();
  int BufferedBytes() const;
  int LeadStatus() const;
  int Synchronise();
  int Exchange(const std::array<uint8_t, 8>& local, std::array<uint8_t, 8>& delayedLocal,
               std::array<uint8_t, 8>& remote);

  // IFrameInputLink: synchronises before the first frame.
  bool Connected() const override { return connected_; }
  std::optional<uint32_t> ExchangeFrameInput(uint32_t local) override;
  std::string CloseReason() const override { return closeReason_; }

 private:
  bool SendPacket(const std::array<uint8_t, 8>& packet);
  bool WaitForBytes(size_t bytes);
  void Fail(const std::string& reason);

  std::unique_ptr<IFrameClock> ownClock_;
  IFrameClock& clock_;
  bool enabled_ = false;
  bool connected_ = false;
  bool synchronised_ = false;
  bool isHost_ = false;
  int socket_ = -1;
  NetGreeting greeting_;
  std::string closeReason_;

  int stepCounter_ = 0;
  std::array<uint8_t, kNetRingBytes> sendRing_{};
  size_t sendRead_ = 0;
  size_t sendWrite_ = 0;
  CNetReceiveRing received_;
};

// The frame input both programs use: pads 1 and 3 from the host's, pads 2
// and 4 from the joining side's pads 1 and 3.
uint32_t CombineFrameInput(uint32_t hostInput, uint32_t joinerInput);

}  // namespace qgu::host

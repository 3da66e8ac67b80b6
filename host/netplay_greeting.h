#pragma once
// The greeting two linked programs exchange before their first packet: the
// link's latency and step length, the host's play-calling seed and the game
// each side is about to play (both team records' hashes, quarter length,
// weather). The joining side adopts the host's seed; the two games must be
// the same, or the link ends saying what differs. Then the host settles the
// link's terms: the latency and step length it chose from the round trip it
// measured over the two greetings (or the delay its user fixed), which the
// joining side adopts.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "league/result.h"
#include "league/team_record.h"

namespace qgu::host {

inline constexpr int kMaxNetLatency = 8;
inline constexpr size_t kGreetingBytes = 40;

// What makes two programs' games the same game.
struct GameIdentity {
  uint64_t homeRecordHash = 0;
  uint64_t awayRecordHash = 0;
  int quarterMinutes = 0;  // 0..255
  int weather = 0;         // 0 clear, 1 rain, 2 snow
  int controlByte = 0;     // (home mode << 4) + away mode, each 0..2
};

// How the two programs share the frames: lockstep (both wait for each
// other's packet) or rollback (each runs on with a guess of the other's input
// and goes back when the guess was wrong). The host decides.
enum class NetMode { kLockstep = 0, kRollback = 1 };
const char* NetModeName(NetMode mode);  // "lockstep", "rollback"

struct NetGreeting {
  int latency = 0;
  int stepLength = 0;
  uint32_t seed = 0;
  GameIdentity game;
  NetMode mode = NetMode::kLockstep;  // top bit of the controls byte
};

std::array<uint8_t, kGreetingBytes> EncodeGreeting(const NetGreeting& greeting);
// Nothing for bytes that are not a whole, well-formed greeting.
std::optional<NetGreeting> DecodeGreeting(std::span<const uint8_t> bytes);

// 64-bit FNV-1a.
uint64_t HashBytes(std::span<const uint8_t> bytes);
uint64_t HashBytes(const std::string& bytes);

// A team record's hash, over its text as the one writer formats it (so line
// ends and the file's name do not count; every field does).
uint64_t TeamRecordHash(const league::TeamRecord& record);

// Empty when both sides play the same game; otherwise what differs, from
// this side's view ("the home team's record differs; quarters of 2 minutes
// there, of 1 minute here; ...").
std::string DescribeGameDifference(const GameIdentity& here, const GameIdentity& there);

// What the greeting bytes received from the other side come to.
struct GreetingVerdict {
  enum class Kind { kIncomplete, kRefused, kDifferentGame, kAccepted };
  Kind kind = Kind::kIncomplete;
  std::string reason;  // for kRefused and kDifferentGame
  NetGreeting greeting;
};
GreetingVerdict JudgeGreeting(std::span<const uint8_t> received, const GameIdentity& mine);

// The delay of a link: a packet covers step length + 1 frames and is used
// latency + 1 packets after it was sent.
inline constexpr int kMaxLinkDelayFrames = 18;
inline constexpr int kAutomaticDelay = 0;  // a delay chosen from the round trip

struct LinkDelay {
  int latency = 0;
  int stepLength = 0;
  int Frames() const { return (latency + 1) * (stepLength + 1); }
  bool operator==(const LinkDelay&) const = default;
};
// At least frames of delay (clamped to 1..kMaxLinkDelayFrames), one packet a
// frame while the latency allows, so that every frame's input counts.
LinkDelay DelayForFrames(int frames);
// Time for the other side's packet to come: half the round trip in whole
// frames and two to spare (two windows each keep their own 60 frames a second
// and one may be kept off the processor a while), at least 3 frames. An
// unmeasured round trip (< 0): 3 frames.
LinkDelay ChooseLinkDelay(int roundTripMs);

// The host's word on the link, right after the joining side's greeting.
inline constexpr size_t kTermsBytes = 16;
struct LinkTerms {
  LinkDelay delay;
  int roundTripMs = 0;   // as the host measured it, 0..65535
  bool automatic = true;  // chosen from the round trip, not fixed by the host's user
  bool operator==(const LinkTerms&) const = default;
};
std::array<uint8_t, kTermsBytes> EncodeTerms(const LinkTerms& terms);
league::Result<LinkTerms> DecodeTerms(std::span<const uint8_t> bytes);
// The terms a host sends: delayFrames fixed by its user, or kAutomaticDelay.
LinkTerms SettleTerms(int delayFrames, int roundTripMs);

// After the greetings a host that chose the game sends it: the two team
// records (so the joining side needs none of the host's league) and the
// host's nickname; the joining side answers with its nickname.
inline constexpr size_t kMaxOfferedRecordBytes = 64 * 1024;
inline constexpr size_t kMaxNickNameBytes = 32;
inline constexpr size_t kOfferHeaderBytes = 17;  // magic, two record lengths, nickname length
inline constexpr size_t kNickHeaderBytes = 9;    // magic, nickname length

struct NetGameOffer {
  league::TeamRecord home;
  league::TeamRecord away;
  std::string nickName;
};

// Fails when a record cannot be written as text or is too long.
league::Result<std::vector<uint8_t>> EncodeOffer(const NetGameOffer& offer);
// The bytes still to come after the header (or the reason the header is refused).
league::Result<size_t> OfferBodyBytes(std::span<const uint8_t> header);
// The whole message; the records are read with the one team reader and
// must be the ones the host's greeting named.
league::Result<NetGameOffer> DecodeOffer(std::span<const uint8_t> message, const GameIdentity& named);
std::vector<uint8_t> EncodeNickName(const std::string& nickName);
league::Result<size_t> NickNameBytes(std::span<const uint8_t> header);
std::string DecodeNickName(std::span<const uint8_t> body);
// Printable ASCII only, at most kMaxNickNameBytes; "NoName" when nothing is left.
std::string CleanNickName(std::string_view nickName);

}  // namespace qgu::host

#include "host/netplay_greeting.h"

#include <algorithm>
#include <tuple>

#include "league/team_record_format.h"

namespace qgu::host {
namespace {

constexpr std::array<uint8_t, 8> kGreetingMagic = {'Q', 'G', 'U', 'N', 'E', 'T', '0', '2'};
constexpr int kWeatherKinds = 3;

// Byte offsets of the greeting.
constexpr size_t kLatencyAt = 8, kStepAt = 9, kSeedAt = 12, kQuarterAt = 16, kWeatherAt = 17, kControlsAt = 18;
constexpr size_t kHomeHashAt = 24, kAwayHashAt = 32;
constexpr std::array<size_t, 7> kReservedAt = {10, 11, 19, 20, 21, 22, 23};
constexpr int kControlModes = 3;
constexpr uint8_t kRollbackBit = 0x80;  // of the controls byte, which needs only 6 bits

void PutLittle(std::span<uint8_t> to, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) to[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLittle(std::span<const uint8_t> from, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= uint64_t{from[i]} << (8 * i);
  return value;
}

const char* WeatherName(int weather) {
  static constexpr const char* kNames[kWeatherKinds] = {"clear", "rain", "snow"};
  return weather >= 0 && weather < kWeatherKinds ? kNames[weather] : "unknown";
}

}  // namespace

const char* NetModeName(NetMode mode) { return mode == NetMode::kRollback ? "rollback" : "lockstep"; }

std::array<uint8_t, kGreetingBytes> EncodeGreeting(const NetGreeting& greeting) {
  std::array<uint8_t, kGreetingBytes> bytes{};
  std::copy(kGreetingMagic.begin(), kGreetingMagic.end(), bytes.begin());
  bytes[kLatencyAt] = static_cast<uint8_t>(std::clamp(greeting.latency, 0, kMaxNetLatency));
  bytes[kStepAt] = static_cast<uint8_t>(std::clamp(greeting.stepLength, 0, kMaxNetLatency));
  const std::span all(bytes);
  PutLittle(all.subspan(kSeedAt), greeting.seed, 4);
  bytes[kQuarterAt] = static_cast<uint8_t>(std::clamp(greeting.game.quarterMinutes, 0, 255));
  bytes[kWeatherAt] = static_cast<uint8_t>(std::clamp(greeting.game.weather, 0, kWeatherKinds - 1));
  bytes[kControlsAt] = static_cast<uint8_t>((greeting.game.controlByte & 0x7F) |
                                           (greeting.mode == NetMode::kRollback ? kRollbackBit : 0));
  PutLittle(all.subspan(kHomeHashAt), greeting.game.homeRecordHash, 8);
  PutLittle(all.subspan(kAwayHashAt), greeting.game.awayRecordHash, 8);
  return bytes;
}

std::optional<NetGreeting> DecodeGreeting(std::span<const uint8_t> bytes) {
  if (bytes.size() != kGreetingBytes || !std::equal(kGreetingMagic.begin(), kGreetingMagic.end(), bytes.begin())) {
    return {};
  }
  const uint8_t controls = bytes[kControlsAt] & static_cast<uint8_t>(~kRollbackBit);
  if (bytes[kLatencyAt] > kMaxNetLatency || bytes[kStepAt] > kMaxNetLatency || bytes[kWeatherAt] >= kWeatherKinds ||
      (controls >> 4) >= kControlModes || (controls & 15) >= kControlModes) {
    return {};
  }
  for (size_t at : kReservedAt) {
    if (bytes[at] != 0) return {};
  }
  NetGreeting greeting;
  greeting.latency = bytes[kLatencyAt];
  greeting.stepLength = bytes[kStepAt];
  greeting.seed = static_cast<uint32_t>(GetLittle(bytes.subspan(kSeedAt), 4));
  greeting.game.quarterMinutes = bytes[kQuarterAt];
  greeting.game.weather = bytes[kWeatherAt];
  greeting.game.controlByte = controls;
  greeting.mode = (bytes[kControlsAt] & kRollbackBit) != 0 ? NetMode::kRollback : NetMode::kLockstep;
  greeting.game.homeRecordHash = GetLittle(bytes.subspan(kHomeHashAt), 8);
  greeting.game.awayRecordHash = GetLittle(bytes.subspan(kAwayHashAt), 8);
  return greeting;
}

uint64_t HashBytes(std::span<const uint8_t> bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

uint64_t HashBytes(const std::string& bytes) {
  return HashBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

uint64_t TeamRecordHash(const league::TeamRecord& record) {
  const auto text = league::FormatTeamRecord(record);
  // A record the writer refuses was not read by the reader either; hash what is left of it.
  return text ? HashBytes(text.value()) : HashBytes(record.header.city + "\x01" + record.header.nickname);
}

std::string DescribeGameDifference(const GameIdentity& here, const GameIdentity& there) {
  std::string differences;
  auto add = [&](const std::string& what) { differences += (differences.empty() ? "" : "; ") + what; };
  if (here.homeRecordHash != there.homeRecordHash) add("the home team's record differs");
  if (here.awayRecordHash != there.awayRecordHash) add("the away team's record differs");
  if (here.quarterMinutes != there.quarterMinutes) {
    auto minutes = [](int n) { return std::to_string(n) + (n == 1 ? " minute" : " minutes"); };
    add("quarters of " + minutes(there.quarterMinutes) + " there, of " + minutes(here.quarterMinutes) + " here");
  }
  if (here.weather != there.weather) {
    add(std::string("weather ") + WeatherName(there.weather) + " there, " + WeatherName(here.weather) + " here");
  }
  if (here.controlByte != there.controlByte) {
    static constexpr const char* kModes[kControlModes] = {"MAN", "COA", "COM"};
    auto modes = [](int byte) {
      return std::string(kModes[(byte >> 4) % kControlModes]) + "-" + kModes[(byte & 15) % kControlModes];
    };
    add("controls " + modes(there.controlByte) + " there, " + modes(here.controlByte) + " here");
  }
  return differences;
}

GreetingVerdict JudgeGreeting(std::span<const uint8_t> received, const GameIdentity& mine) {
  GreetingVerdict verdict;
  const size_t checked = std::min(received.size(), kGreetingMagic.size());
  if (!std::equal(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(checked), kGreetingMagic.begin())) {
    verdict.kind = GreetingVerdict::Kind::kRefused;
    verdict.reason = "it is not a Quozi Gridcrown link of this version";
    return verdict;
  }
  if (received.size() < kGreetingBytes) return verdict;
  const auto greeting = DecodeGreeting(received.first(kGreetingBytes));
  if (!greeting) {
    verdict.kind = GreetingVerdict::Kind::kRefused;
    verdict.reason = "its greeting is malformed";
    return verdict;
  }
  verdict.greeting = *greeting;
  verdict.reason = DescribeGameDifference(mine, greeting->game);
  verdict.kind = verdict.reason.empty() ? GreetingVerdict::Kind::kAccepted : GreetingVerdict::Kind::kDifferentGame;
  if (!verdict.reason.empty()) verdict.reason = "the other side plays a different game: " + verdict.reason;
  return verdict;
}

namespace {

constexpr std::array<uint8_t, 8> kTermsMagic = {'Q', 'G', 'U', 'T', 'E', 'R', 'M', '1'};
constexpr size_t kTermsLatencyAt = 8, kTermsStepAt = 9, kTermsRoundTripAt = 10, kTermsAutomaticAt = 12;
constexpr int kFramesPerSecond = 60;
constexpr int kUnmeasuredDelayFrames = 3;
constexpr int kSpareDelayFrames = 2;
constexpr int kLeastAutomaticDelayFrames = 3;

}  // namespace

LinkDelay DelayForFrames(int frames) {
  frames = std::clamp(frames, 1, kMaxLinkDelayFrames);
  LinkDelay delay;
  delay.stepLength = (frames - 1) / (kMaxNetLatency + 1);
  delay.latency = (frames + delay.stepLength) / (delay.stepLength + 1) - 1;
  return delay;
}

LinkDelay ChooseLinkDelay(int roundTripMs) {
  if (roundTripMs < 0) return DelayForFrames(kUnmeasuredDelayFrames);
  // Half the round trip in frames, rounded up (in 64 bits: any int of milliseconds).
  const int64_t oneWay = (int64_t{roundTripMs} * kFramesPerSecond + 1999) / 2000;
  const int64_t frames = std::max<int64_t>(oneWay + kSpareDelayFrames, kLeastAutomaticDelayFrames);
  return DelayForFrames(static_cast<int>(std::min<int64_t>(frames, kMaxLinkDelayFrames)));
}

LinkTerms SettleTerms(int delayFrames, int roundTripMs) {
  LinkTerms terms;
  terms.automatic = delayFrames == kAutomaticDelay;
  terms.delay = terms.automatic ? ChooseLinkDelay(roundTripMs) : DelayForFrames(delayFrames);
  terms.roundTripMs = std::clamp(roundTripMs, 0, 0xFFFF);
  return terms;
}

std::array<uint8_t, kTermsBytes> EncodeTerms(const LinkTerms& terms) {
  std::array<uint8_t, kTermsBytes> bytes{};
  std::copy(kTermsMagic.begin(), kTermsMagic.end(), bytes.begin());
  bytes[kTermsLatencyAt] = static_cast<uint8_t>(std::clamp(terms.delay.latency, 0, kMaxNetLatency));
  bytes[kTermsStepAt] = static_cast<uint8_t>(std::clamp(terms.delay.stepLength, 0, kMaxNetLatency));
  PutLittle(std::span(bytes).subspan(kTermsRoundTripAt), static_cast<uint64_t>(std::clamp(terms.roundTripMs, 0, 0xFFFF)), 2);
  bytes[kTermsAutomaticAt] = terms.automatic ? 1 : 0;
  return bytes;
}

league::Result<LinkTerms> DecodeTerms(std::span<const uint8_t> bytes) {
  if (bytes.size() != kTermsBytes || !std::equal(kTermsMagic.begin(), kTermsMagic.end(), bytes.begin())) {
    return league::Fail("the host did not settle the link");
  }
  LinkTerms terms;
  terms.delay = {bytes[kTermsLatencyAt], bytes[kTermsStepAt]};
  terms.roundTripMs = static_cast<int>(GetLittle(bytes.subspan(kTermsRoundTripAt), 2));
  terms.automatic = bytes[kTermsAutomaticAt] == 1;
  const bool reservedClear = std::all_of(bytes.begin() + kTermsAutomaticAt + 1, bytes.end(), [](uint8_t b) { return b == 0; });
  if (terms.delay.latency > kMaxNetLatency || terms.delay.stepLength > kMaxNetLatency ||
      terms.delay.Frames() > kMaxLinkDelayFrames || bytes[kTermsAutomaticAt] > 1 || !reservedClear) {
    return league::Fail("the host's terms for the link are malformed");
  }
  return terms;
}

namespace {

constexpr std::array<uint8_t, 8> kOfferMagic = {'Q', 'G', 'U', 'G', 'A', 'M', 'E', '1'};
constexpr std::array<uint8_t, 8> kNickMagic = {'Q', 'G', 'U', 'N', 'I', 'C', 'K', '1'};

}  // namespace

std::string CleanNickName(std::string_view nickName) {
  std::string clean;
  for (char ch : nickName) {
    if (ch >= 0x20 && ch < 0x7F && clean.size() < kMaxNickNameBytes) clean += ch;
  }
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  while (!clean.empty() && clean.front() == ' ') clean.erase(clean.begin());
  return clean.empty() ? std::string("NoName") : clean;
}

league::Result<std::vector<uint8_t>> EncodeOffer(const NetGameOffer& offer) {
  const auto home = league::FormatTeamRecord(offer.home);
  const auto away = league::FormatTeamRecord(offer.away);
  if (!home || !away) return league::Fail("a team record cannot be sent: " + (home ? away.error() : home.error()));
  if (home.value().size() > kMaxOfferedRecordBytes || away.value().size() > kMaxOfferedRecordBytes) {
    return league::Fail("a team record is too long to send");
  }
  const std::string nick = CleanNickName(offer.nickName);
  std::vector<uint8_t> bytes(kOfferHeaderBytes);
  std::copy(kOfferMagic.begin(), kOfferMagic.end(), bytes.begin());
  PutLittle(std::span(bytes).subspan(8), home.value().size(), 4);
  PutLittle(std::span(bytes).subspan(12), away.value().size(), 4);
  bytes[16] = static_cast<uint8_t>(nick.size());
  bytes.insert(bytes.end(), home.value().begin(), home.value().end());
  bytes.insert(bytes.end(), away.value().begin(), away.value().end());
  bytes.insert(bytes.end(), nick.begin(), nick.end());
  return bytes;
}

league::Result<size_t> OfferBodyBytes(std::span<const uint8_t> header) {
  if (header.size() < kOfferHeaderBytes || !std::equal(kOfferMagic.begin(), kOfferMagic.end(), header.begin())) {
    return league::Fail("the host did not send the game");
  }
  const uint64_t home = GetLittle(header.subspan(8), 4);
  const uint64_t away = GetLittle(header.subspan(12), 4);
  if (home > kMaxOfferedRecordBytes || away > kMaxOfferedRecordBytes || header[16] > kMaxNickNameBytes) {
    return league::Fail("the host's game is larger than any team record");
  }
  return static_cast<size_t>(home + away + header[16]);
}

league::Result<NetGameOffer> DecodeOffer(std::span<const uint8_t> message, const GameIdentity& named) {
  const auto body = OfferBodyBytes(message);
  if (!body) return league::Fail(body.error());
  if (message.size() != kOfferHeaderBytes + body.value()) return league::Fail("the host's game came incomplete");
  const size_t homeBytes = GetLittle(message.subspan(8), 4);
  const size_t awayBytes = GetLittle(message.subspan(12), 4);
  auto text = [&](size_t at, size_t bytes) {
    return std::string_view(reinterpret_cast<const char*>(message.data()) + at, bytes);
  };
  NetGameOffer offer;
  for (auto [record, at, bytes, side] : {std::tuple{&offer.home, kOfferHeaderBytes, homeBytes, "home"},
                                         std::tuple{&offer.away, kOfferHeaderBytes + homeBytes, awayBytes, "away"}}) {
    auto parsed = league::ParseTeamRecordText(text(at, bytes));
    if (!parsed) return league::Fail(std::string("the host's ") + side + " team is not a team record: " + parsed.error());
    *record = std::move(parsed).value();
  }
  if (TeamRecordHash(offer.home) != named.homeRecordHash || TeamRecordHash(offer.away) != named.awayRecordHash) {
    return league::Fail("the host sent other teams than its greeting named");
  }
  offer.nickName = CleanNickName(text(kOfferHeaderBytes + homeBytes + awayBytes, message[16]));
  return offer;
}

std::vector<uint8_t> EncodeNickName(const std::string& nickName) {
  const std::string nick = CleanNickName(nickName);
  std::vector<uint8_t> bytes(kNickMagic.begin(), kNickMagic.end());
  bytes.push_back(static_cast<uint8_t>(nick.size()));
  bytes.insert(bytes.end(), nick.begin(), nick.end());
  return bytes;
}

league::Result<size_t> NickNameBytes(std::span<const uint8_t> header) {
  if (header.size() < kNickHeaderBytes || !std::equal(kNickMagic.begin(), kNickMagic.end(), header.begin()) ||
      header[8] > kMaxNickNameBytes) {
    return league::Fail("the joining side did not say its name");
  }
  return static_cast<size_t>(header[8]);
}

std::string DecodeNickName(std::span<const uint8_t> body) {
  return CleanNickName(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
}

}  // namespace qgu::host

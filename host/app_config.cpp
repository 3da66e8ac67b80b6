#include "host/app_config.h"

#include <cstdlib>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <span>
#include <variant>
#include <vector>

namespace qgu::host {
namespace {

// ---- How each kind of value is stored -------------------------------------

// The values a number may take: a number outside is clamped and named. Flags
// (non-zero is on) and numbers this program does not use take any value.
struct IntRange {
  int low = INT_MIN;
  int high = INT_MAX;
};
struct IntValue {
  int* value;
  IntRange range = {};
};
struct ChoiceValue {  // one of a few values; anything else keeps the current one
  int* value;
  std::span<const int> choices;
};
struct RectValue {
  SettingsRect* value;
};
struct WordsValue {  // 16-bit values stored as one struct
  std::span<uint16_t> value;
  int high = 0xFFFF;
};
struct TextValue {
  std::string* value;
};
struct KeysValue {  // "Keys": 128 bytes, or one of its older, shorter forms
  std::array<uint16_t, kKeyEntries>* value;
};
struct JoyAxisValue {  // "JoyAxisSetting", or the masks "JoyAxisDisable" stands for
  AppConfig::General* general;
};
struct RecentListValue {  // a count key, then up to 16 numbered texts
  int* count;
  std::array<std::string, kRecentEntries>* entries;
  const char* entryKeyFormat;
};

using Binding = std::variant<IntValue, ChoiceValue, RectValue, WordsValue, TextValue, KeysValue, JoyAxisValue, RecentListValue>;

struct Setting {
  const char* key;
  Binding binding;
  bool saved = true;
};

struct Section {
  std::string name;
  std::vector<Setting> settings;  // in reading order
  bool saved = true;
  std::vector<std::string_view> writeOrder = {};  // empty: reading order
};

constexpr bool kNotSaved = false;

// What the sound output can open and the ring it makes: "BufferSize" frames
// of sound per block, ten times as many blocks (30 is half a second of delay
// and a few megabytes; 1000 would be gigabytes).
constexpr std::array<int, 4> kSamplingRates = {11025, 22050, 44100, 48000};
constexpr std::array<int, 2> kSamplingBits = {8, 16};
constexpr IntRange kBufferSizes = {2, 30};
constexpr int kMaxVolumePercent = 1000;
constexpr IntRange kPercent = {0, 100};
constexpr IntRange kThrottleFps = {10, 600};
constexpr int kMaxTurboSpeed = 3;
constexpr IntRange kFlag = {0, 1};

// The whole file layout over one record. Reading order of sections and keys.
std::vector<Section> Layout(AppConfig& c) {
  AppConfig::General& g = c.general;
  AppConfig::Path& p = c.path;
  AppConfig::Emulation& e = c.emulation;
  AppConfig::Graphics& gr = c.graphics;
  AppConfig::Sound& s = c.sound;
  AppConfig::Netplay& n = c.netplay;
  std::vector<Section> sections = {
      {"General",
       {{"DoubleExecute", IntValue{&g.doubleExecute}},
        {"WindowZoom", IntValue{&g.windowZoom}},
        {"WindowPos", RectValue{&g.windowPos}},
        {"PatternViewPos", RectValue{&g.patternViewPos}, kNotSaved},
        {"NameTableViewPos", RectValue{&g.nameTableViewPos}, kNotSaved},
        {"PaletteViewPos", RectValue{&g.paletteViewPos}, kNotSaved},
        {"MemoryViewPos", RectValue{&g.memoryViewPos}},
        {"ScreenZoom", IntValue{&g.screenZoom}},
        {"JoyAxisDisable", IntValue{&g.joyAxisDisable}},
        {"JoyAxisSetting", JoyAxisValue{&g}}},
       true,
       {"DoubleExecute", "WindowZoom", "WindowPos", "ScreenZoom", "MemoryViewPos", "JoyAxisDisable",
        "JoyAxisSetting"}},
      {"Path",
       {{"SnapshotPathUse", IntValue{&p.snapshotPathUse}},
        {"MoviePathUse", IntValue{&p.moviePathUse}},
        {"WavePathUse", IntValue{&p.wavePathUse}},
        {"SnapshotPath", TextValue{&p.snapshotPath}},
        {"MoviePath", TextValue{&p.moviePath}},
        {"WavePath", TextValue{&p.wavePath}}},
       kNotSaved},
      {"Emulation",
       {{"IllegalOp", IntValue{&e.illegalOp}},
        {"AutoFrameSkip", IntValue{&e.autoFrameSkip}},
        {"Throttle", IntValue{&e.throttle}},
        {"ThrottleFPS", IntValue{&e.throttleFps, kThrottleFps}},
        {"Background", IntValue{&e.background}},
        {"Priority", IntValue{&e.priority}},
        {"FourPlayer", IntValue{&e.fourPlayer}},
        {"CrcCheck", IntValue{&e.crcCheck}},
        {"DiskThrottle", IntValue{&e.diskThrottle}},
        {"LoadFullscreen", IntValue{&e.loadFullscreen}},
        {"SkipIdleLoops", IntValue{&e.skipIdleLoops, kFlag}}}},
      {"Graphics",
       {{"Aspect", IntValue{&gr.aspect}},
        {"SpriteMax", IntValue{&gr.spriteMax}},
        {"AllLine", IntValue{&gr.allLine}},
        {"FPSDisp", IntValue{&gr.fpsDisp}},
        {"TVFrameMode", IntValue{&gr.tvFrameMode}, kNotSaved},
        {"ScanlineMode", IntValue{&gr.scanlineMode}},
        {"ScanlineColor", IntValue{&gr.scanlineColor, kPercent}},
        {"SyncDraw", IntValue{&gr.syncDraw}},
        {"MaxZoom", IntValue{&gr.maxZoom}},
        {"LeftClip", IntValue{&gr.leftClip}},
        {"WindowVSync", IntValue{&gr.windowVSync}},
        {"DiskAccessLamp", IntValue{&gr.diskAccessLamp}, kNotSaved},
        {"DoubleSize", IntValue{&gr.doubleSize}},
        {"SystemMemory", IntValue{&gr.systemMemory}},
        {"UseHEL", IntValue{&gr.useHel}},
        {"DisplayWidth", IntValue{&gr.displayWidth}},
        {"DisplayHeight", IntValue{&gr.displayHeight}},
        {"DisplayDepth", IntValue{&gr.displayDepth}},
        {"DisplayRate", IntValue{&gr.displayRate}},
        {"PaletteUse", IntValue{&gr.paletteUse}, kNotSaved},
        {"PaletteFile", TextValue{&gr.paletteFile}, kNotSaved}}},
      {"Sound",
       {{"Enable", IntValue{&s.enable}},
        {"SamplingRate", ChoiceValue{&s.samplingRate, kSamplingRates}},
        {"SamplingBits", ChoiceValue{&s.samplingBits, kSamplingBits}},
        {"BufferSize", IntValue{&s.bufferSize, kBufferSizes}},
        {"ChangeTone", IntValue{&s.changeTone}, kNotSaved},
        {"DisableVolumeEffect", IntValue{&s.disableVolumeEffect}},
        {"Volume", WordsValue{s.volume, kMaxVolumePercent}}},
       true,
       {"Enable", "DisableVolumeEffect", "SamplingRate", "SamplingBits", "BufferSize", "Volume"}},
  };
  for (int pad = 0; pad < kControllerCount; ++pad) {
    AppConfig::Controller& controller = c.controllers[static_cast<size_t>(pad)];
    sections.push_back({"Controller " + std::to_string(pad + 1),
                        {{"Keys", KeysValue{&controller.keys}}, {"Rapid", WordsValue{controller.rapid, kMaxTurboSpeed}}}});
  }
  sections.push_back({"Netplay",
                      {{"ChatPos", RectValue{&n.chatPos}},
                       {"NickName", TextValue{&n.nickName}},
                       {"RecnetPortNum", RecentListValue{&n.recentPortCount, &n.recentPorts, "RecentPort%02d"}},
                       {"RecnetHostNum", RecentListValue{&n.recentHostCount, &n.recentHosts, "RecentHost%02d"}},
                       {"InputDelay", IntValue{&n.inputDelay, {0, kMaxInputDelayFrames}}},
                       {"Rollback", IntValue{&n.rollback, kFlag}}}});
  return sections;
}

// ---- Structs as bytes (little-endian, as the Windows program stores them) --

void GetWords(std::span<const uint8_t> bytes, std::span<uint16_t> words) {
  for (size_t i = 0; i < words.size() && 2 * i + 1 < bytes.size(); ++i) {
    words[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
}

std::array<uint8_t, 16> RectBytes(const SettingsRect& rect) {
  std::array<uint8_t, 16> bytes{};
  const int32_t values[] = {rect.left, rect.top, rect.right, rect.bottom};
  for (size_t i = 0; i < 4; ++i) {
    const auto word = static_cast<uint32_t>(values[i]);
    for (size_t b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<uint8_t>(word >> (8 * b));
  }
  return bytes;
}

SettingsRect RectFromBytes(const std::array<uint8_t, 16>& bytes) {
  int32_t values[4];
  for (size_t i = 0; i < 4; ++i) {
    uint32_t word = 0;
    for (size_t b = 0; b < 4; ++b) word |= uint32_t{bytes[i * 4 + b]} << (8 * b);
    values[i] = static_cast<int32_t>(word);
  }
  return {values[0], values[1], values[2], values[3]};
}

std::string RecentEntryKey(const char* format, int index) {
  char key[32];
  std::snprintf(key, sizeof key, format, index);
  return key;
}

// Windows paths from an older file: ".\snapshot\" is "./snapshot/" here.
void UseForwardSlashes(std::string& path) { std::replace(path.begin(), path.end(), '\\', '/'); }

// ---- Reading ---------------------------------------------------------------

// The masks "JoyAxisDisable" 1..6 stand for.
constexpr std::array<uint16_t, 6> kJoyAxisMasks = {0x3F, 0x3E, 0x3C, 0x38, 0x30, 0x20};

void ReadKeys(const ProfileDocument& profile, const std::string& section, std::array<uint16_t, kKeyEntries>& keys) {
  std::array<uint8_t, 128> full{};
  if (profile.ReadStruct(section, "Keys", full)) {
    GetWords(full, keys);
    return;
  }
  // Older forms held fewer buttons per binding; entries they lack keep their
  // current values (so controller 2 keeps its "MIC" key).
  for (const size_t bytesPerBinding : {size_t{32}, size_t{20}}) {
    std::vector<uint8_t> older(bytesPerBinding * 2);
    if (!profile.ReadStruct(section, "Keys", older)) continue;
    const std::span<const uint8_t> bytes(older);
    GetWords(bytes.first(bytesPerBinding), std::span(keys).subspan(0, bytesPerBinding / 2));
    GetWords(bytes.subspan(bytesPerBinding), std::span(keys).subspan(kSecondBinding, bytesPerBinding / 2));
    return;
  }
  std::array<uint8_t, 20> oldest{};
  if (profile.ReadStruct(section, "Keys", oldest)) GetWords(oldest, std::span(keys).subspan(0, 10));
}

void ReadJoyAxis(const ProfileDocument& profile, const std::string& section, AppConfig::General& general) {
  if (general.joyAxisDisable == 0) {
    std::array<uint8_t, 32> bytes{};
    if (profile.ReadStruct(section, "JoyAxisSetting", bytes)) GetWords(bytes, general.joyAxisSetting);
    return;
  }
  const int stored = general.joyAxisDisable;
  const uint16_t mask = stored >= 1 && stored <= 6 ? kJoyAxisMasks[static_cast<size_t>(stored - 1)] : 0;
  general.joyAxisSetting.fill(mask);
  general.joyAxisDisable = 0;
}

// Where a setting was read, for the notes about numbers out of range.
struct Reading {
  const ProfileDocument& profile;
  const std::string& section;
  std::vector<std::string>* notes;

  void Note(std::string_view key, long long stored, const std::string& allowed, long long used) const {
    if (notes == nullptr) return;
    notes->push_back("[" + section + "] " + std::string(key) + "=" + std::to_string(stored) + " is " + allowed +
                     "; " + std::to_string(used) + " is used");
  }
};

std::string RangeText(long long low, long long high) {
  return "outside " + std::to_string(low) + " to " + std::to_string(high);
}

void ReadRange(const Reading& at, std::string_view key, int& value, IntRange range) {
  const int stored = at.profile.ReadInt(at.section, key, value);
  value = std::clamp(stored, range.low, range.high);
  if (value != stored) at.Note(key, stored, RangeText(range.low, range.high), value);
}

void ReadChoice(const Reading& at, std::string_view key, const ChoiceValue& choice) {
  const int stored = at.profile.ReadInt(at.section, key, *choice.value);
  if (std::find(choice.choices.begin(), choice.choices.end(), stored) != choice.choices.end()) {
    *choice.value = stored;
    return;
  }
  std::string allowed = "not one of";
  for (size_t i = 0; i < choice.choices.size(); ++i) {
    allowed += (i == 0 ? " " : i + 1 == choice.choices.size() ? " or " : ", ") + std::to_string(choice.choices[i]);
  }
  at.Note(key, stored, allowed, *choice.value);
}

void ReadWords(const Reading& at, std::string_view key, const WordsValue& words) {
  std::vector<uint8_t> bytes(words.value.size() * 2);
  if (!at.profile.ReadStruct(at.section, key, bytes)) return;
  GetWords(bytes, words.value);
  for (size_t i = 0; i < words.value.size(); ++i) {
    if (words.value[i] <= words.high) continue;
    const std::string entry = std::string(key) + "[" + std::to_string(i) + "]";
    at.Note(entry, words.value[i], RangeText(0, words.high), words.high);
    words.value[i] = static_cast<uint16_t>(words.high);
  }
}

void ReadRecentList(const Reading& at, const char* countKey, const RecentListValue& list) {
  ReadRange(at, countKey, *list.count, {0, kRecentEntries});
  for (int i = 0; i < *list.count; ++i) {
    at.profile.ReadText(at.section, RecentEntryKey(list.entryKeyFormat, i), (*list.entries)[static_cast<size_t>(i)],
                        kSettingTextBuffer);
  }
}

void ReadSetting(const Reading& at, const Setting& setting) {
  const ProfileDocument& profile = at.profile;
  const std::string& section = at.section;
  std::visit(
      [&](const auto& b) {
        using T = std::decay_t<decltype(b)>;
        if constexpr (std::is_same_v<T, IntValue>) {
          ReadRange(at, setting.key, *b.value, b.range);
        } else if constexpr (std::is_same_v<T, ChoiceValue>) {
          ReadChoice(at, setting.key, b);
        } else if constexpr (std::is_same_v<T, RectValue>) {
          std::array<uint8_t, 16> bytes{};
          if (profile.ReadStruct(section, setting.key, bytes)) *b.value = RectFromBytes(bytes);
        } else if constexpr (std::is_same_v<T, WordsValue>) {
          ReadWords(at, setting.key, b);
        } else if constexpr (std::is_same_v<T, TextValue>) {
          profile.ReadText(section, setting.key, *b.value, kSettingTextBuffer);
        } else if constexpr (std::is_same_v<T, KeysValue>) {
          ReadKeys(profile, section, *b.value);
        } else if constexpr (std::is_same_v<T, JoyAxisValue>) {
          ReadJoyAxis(profile, section, *b.general);
        } else {
          ReadRecentList(at, setting.key, b);
        }
      },
      setting.binding);
}

// ---- Writing ---------------------------------------------------------------

std::vector<uint8_t> WordBytes(std::span<const uint16_t> words) {
  std::vector<uint8_t> bytes(words.size() * 2);
  for (size_t i = 0; i < words.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(words[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
  }
  return bytes;
}

Status WriteSetting(ProfileDocument& profile, const std::string& section, const Setting& setting) {
  Status status;
  std::visit(
      [&](const auto& b) {
        using T = std::decay_t<decltype(b)>;
        if constexpr (std::is_same_v<T, IntValue> || std::is_same_v<T, ChoiceValue>) {
          profile.WriteInt(section, setting.key, *b.value);
        } else if constexpr (std::is_same_v<T, RectValue>) {
          profile.WriteStruct(section, setting.key, RectBytes(*b.value));
        } else if constexpr (std::is_same_v<T, WordsValue>) {
          profile.WriteStruct(section, setting.key, WordBytes(b.value));
        } else if constexpr (std::is_same_v<T, TextValue>) {
          status = profile.WriteText(section, setting.key, *b.value);
        } else if constexpr (std::is_same_v<T, KeysValue>) {
          profile.WriteStruct(section, setting.key, WordBytes(*b.value));
        } else if constexpr (std::is_same_v<T, JoyAxisValue>) {
          profile.WriteStruct(section, setting.key, WordBytes(b.general->joyAxisSetting));
        } else {
          const int count = std::clamp(*b.count, 0, kRecentEntries);
          profile.WriteInt(section, setting.key, count);
          for (int i = 0; i < count && status.ok(); ++i) {
            status = profile.WriteText(section, RecentEntryKey(b.entryKeyFormat, i),
                                       (*b.entries)[static_cast<size_t>(i)]);
          }
        }
      },
      setting.binding);
  return status;
}

const Setting* FindSetting(const Section& section, std::string_view key) {
  for (const Setting& setting : section.settings) {
    if (setting.key == key) return &setting;
  }
  return nullptr;
}

}  // namespace

std::array<AppConfig::Controller, kControllerCount> AppConfig::DefaultControllers() {
  std::array<Controller, kControllerCount> pads{};
  std::array<uint16_t, kKeyEntries>& one = pads[0].keys;
  one[kButtonUp] = 200;
  one[kButtonDown] = 208;
  one[kButtonLeft] = 203;
  one[kButtonRight] = 205;
  one[kButtonA] = 45;
  one[kButtonB] = 44;
  one[kButtonSelect] = 54;
  one[kButtonStart] = 28;
  std::array<uint16_t, kKeyEntries>& two = pads[1].keys;
  two[kButtonUp] = 72;
  two[kButtonDown] = 80;
  two[kButtonLeft] = 75;
  two[kButtonRight] = 77;
  two[kButtonA] = 49;
  two[kButtonB] = 48;
  two[kButtonMic] = 50;
  return pads;
}

void LoadAppConfig(const ProfileDocument& profile, AppConfig& config, std::vector<std::string>* notes) {
  for (const Section& section : Layout(config)) {
    const Reading at{profile, section.name, notes};
    for (const Setting& setting : section.settings) ReadSetting(at, setting);
  }
  UseForwardSlashes(config.path.snapshotPath);
  UseForwardSlashes(config.path.moviePath);
  UseForwardSlashes(config.path.wavePath);
}

Status StoreAppConfig(const AppConfig& config, ProfileDocument& profile) {
  AppConfig copy = config;  // the layout binds to a record it may point into
  Status result;
  for (const Section& section : Layout(copy)) {
    if (!section.saved) continue;
    std::vector<const Setting*> order;
    if (section.writeOrder.empty()) {
      for (const Setting& setting : section.settings) order.push_back(&setting);
    } else {
      for (std::string_view key : section.writeOrder) order.push_back(FindSetting(section, key));
    }
    for (const Setting* setting : order) {
      if (setting == nullptr || !setting->saved) continue;
      Status written = WriteSetting(profile, section.name, *setting);
      if (!written && result.ok()) result = written;
    }
  }
  return result;
}

AppConfig LoadAppConfigFile(const std::filesystem::path& file, std::vector<std::string>* notes) {
  ProfileFile profile;
  profile.Select(file);
  AppConfig config;
  Result<ProfileDocument> document = profile.LoadExisting();
  if (!document) {
    if (notes != nullptr) notes->push_back(document.error() + "; the settings are the defaults");
    return config;
  }
  std::vector<std::string> ranges;
  LoadAppConfig(document.value(), config, &ranges);
  if (notes != nullptr) {
    for (const std::string& note : ranges) notes->push_back(file.string() + ": " + note);
  }
  return config;
}

Status SaveAppConfigFile(const AppConfig& config, const std::filesystem::path& file) {
  ProfileFile profile;
  profile.Select(file);
  // A file that is there but cannot be read is the user's: never overwrite it.
  Result<ProfileDocument> existing = profile.LoadExisting();
  if (!existing) return league::Fail(existing.error() + ", so the settings were not saved over it");
  ProfileDocument document = std::move(existing).value();
  const Status stored = StoreAppConfig(config, document);
  const Status written = profile.Store(document);
  return written.ok() ? stored : written;
}

core::MachineSettings ToMachineSettings(const AppConfig& config) {
  core::MachineSettings settings;
  settings.spriteMax = config.graphics.spriteMax != 0;
  settings.leftClip = config.graphics.leftClip != 0;
  settings.soundEnable = config.sound.enable != 0;
  settings.samplingRate = config.sound.samplingRate;
  settings.samplingBits = config.sound.samplingBits;
  for (size_t i = 0; i < settings.volume.size(); ++i) settings.volume[i] = config.sound.volume[i];
  settings.disableVolumeEffect = config.sound.disableVolumeEffect != 0;
  settings.changeTone = config.sound.changeTone != 0;
  settings.fourPlayer = config.emulation.fourPlayer != 0;
  settings.skipIdleLoops = config.emulation.skipIdleLoops != 0;
  for (size_t pad = 0; pad < settings.turboSpeed.size(); ++pad) {
    for (size_t button = 0; button < 2; ++button) {
      settings.turboSpeed[pad][button] = std::clamp<int>(config.controllers[pad].rapid[button], 0, 3);
    }
  }
  return settings;
}

std::string GameOptionSection(uint32_t cartridgeId) {
  char section[16];
  std::snprintf(section, sizeof section, "%08X", cartridgeId);
  return section;
}

void LoadGameOptions(const ProfileDocument& profile, uint32_t cartridgeId, core::GameOptions& options) {
  // The machine treats any value of these as one of its methods: nothing to clamp.
  const std::string section = GameOptionSection(cartridgeId);
  options.renderMethod = profile.ReadInt(section, "RenderMethod", options.renderMethod);
  options.irqType = profile.ReadInt(section, "IRQtype", options.irqType);
  options.frameIrq = profile.ReadInt(section, "FrameIRQ", options.frameIrq);
  options.videoMode = profile.ReadInt(section, "VideoMode", options.videoMode);
}

std::filesystem::path ProfileLocation(const std::filesystem::path& name) {
  if (name.has_parent_path() || name.is_absolute()) return name;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && std::filesystem::path(configHome).is_absolute()) {
    return std::filesystem::path(configHome) / "qgu" / name;
  }
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::filesystem::path(home) / ".config" / "qgu" / name;
  return name;  // no home: the working folder
}

core::GameOptionLoader MakeGameOptionLoader(std::filesystem::path file) {
  return [file = std::move(file)](uint32_t cartridgeId, core::GameOptions& options) {
    ProfileFile profile;
    profile.Select(ProfileLocation(file));
    LoadGameOptions(profile.Load(), cartridgeId, options);
  };
}

}  // namespace qgu::host

#include "host/app_config.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <span>
#include <sstream>

#include "tests/support/temp_folder.h"

namespace qgu::host {
namespace {

using qgu::testing::ReadBytes;
using qgu::testing::TempFolder;
using qgu::testing::WriteBytes;

// "[Section]" and key names of a saved file, in order.
std::vector<std::string> Names(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    names.push_back(line[0] == '[' ? line : line.substr(0, line.find('=')));
  }
  return names;
}

std::string SavedText(const AppConfig& config) {
  ProfileDocument profile;
  EXPECT_TRUE(StoreAppConfig(config, profile).ok());
  return profile.Serialize();
}

AppConfig Loaded(const ProfileDocument& profile) {
  AppConfig config;
  LoadAppConfig(profile, config);
  return config;
}

// Saved as text and read back.
AppConfig Reloaded(const AppConfig& config) { return Loaded(ProfileDocument::Parse(SavedText(config))); }

// The record read from a profile holding one struct.
AppConfig LoadedWithStruct(const char* section, const char* key, std::span<const uint8_t> bytes) {
  ProfileDocument profile;
  profile.WriteStruct(section, key, bytes);
  return Loaded(profile);
}

std::vector<std::string> ExpectedWriteOrder() {
  std::vector<std::string> names = {
      "[General]", "DoubleExecute", "WindowZoom", "WindowPos", "ScreenZoom", "MemoryViewPos", "JoyAxisDisable",
      "JoyAxisSetting", "[Emulation]", "IllegalOp", "AutoFrameSkip", "Throttle", "ThrottleFPS", "Background",
      "Priority", "FourPlayer", "CrcCheck", "DiskThrottle", "LoadFullscreen", "SkipIdleLoops", "[Graphics]", "Aspect",
      "SpriteMax", "AllLine", "FPSDisp", "ScanlineMode", "ScanlineColor", "SyncDraw", "MaxZoom", "LeftClip",
      "WindowVSync", "DoubleSize", "SystemMemory", "UseHEL", "DisplayWidth", "DisplayHeight", "DisplayDepth",
      "DisplayRate", "[Sound]", "Enable", "DisableVolumeEffect", "SamplingRate", "SamplingBits", "BufferSize",
      "Volume"};
  for (int pad = 1; pad <= 4; ++pad) {
    for (std::string name : {"[Controller " + std::to_string(pad) + "]", std::string("Keys"), std::string("Rapid")}) {
      names.push_back(name);
    }
  }
  for (const char* name : {"[Netplay]", "ChatPos", "NickName", "RecnetPortNum", "RecentPort00", "RecnetHostNum",
                           "RecentHost00", "InputDelay", "Rollback"}) {
    names.push_back(name);
  }
  return names;
}

TEST(AppConfigFile, FreshStartRunsWithDefaultsAndSavesWithoutPathOrUnsavedKeys) {
  TempFolder folder;
  const AppConfig config = LoadAppConfigFile(folder / "qgu.ini");
  EXPECT_EQ(config, AppConfig{});
  EXPECT_EQ(config.netplay.recentHosts[0], "localhost:10000");
  EXPECT_EQ(config.controllers[0].keys[kButtonUp], 200);
  EXPECT_EQ(config.controllers[1].keys[kButtonMic], 50);
  EXPECT_EQ(config.controllers[2].keys, (std::array<uint16_t, kKeyEntries>{}));

  ASSERT_TRUE(SaveAppConfigFile(config, folder / "qgu.ini").ok());
  const std::string text = ReadBytes(folder / "qgu.ini");
  EXPECT_EQ(Names(text), ExpectedWriteOrder());
  EXPECT_EQ(text.find("[Path]"), std::string::npos);
  EXPECT_NE(text.find("\r\nThrottleFPS=120\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nWindowPos=0000000000000000000000000000000000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nRecentHost00=localhost:10000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nRapid=0000000000\r\n"), std::string::npos);
  EXPECT_EQ(LoadAppConfigFile(folder / "qgu.ini"), config);
}

TEST(AppConfigFile, EverySavedSettingSurvivesARoundTrip) {
  AppConfig config;
  config.general.doubleExecute = 0;
  config.general.windowZoom = 2;
  config.general.windowPos = {10, -20, 700, 500};
  config.general.memoryViewPos = {1, 2, 3, 4};
  config.general.screenZoom = 3;
  config.general.joyAxisSetting = {0x3F, 1, 2, 3};
  config.emulation = {1, 0, 0, 60, 1, 5, 0, 0, 0, 1, 0};
  AppConfig::Graphics& g = config.graphics;
  for (int* flag : {&g.aspect, &g.allLine, &g.fpsDisp, &g.scanlineMode, &g.syncDraw, &g.maxZoom, &g.windowVSync,
                    &g.doubleSize, &g.systemMemory, &g.useHel}) {
    *flag = 1;
  }
  g.spriteMax = 0;
  g.leftClip = 0;
  g.scanlineColor = 50;
  g.displayWidth = 1024;
  g.displayHeight = 768;
  g.displayDepth = 32;
  g.displayRate = 75;
  config.sound.enable = 0;
  config.sound.samplingRate = 44100;
  config.sound.samplingBits = 16;
  config.sound.bufferSize = 8;
  config.sound.disableVolumeEffect = 1;
  config.sound.volume = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1000};
  for (size_t pad = 0; pad < 4; ++pad) {
    for (size_t i = 0; i < kKeyEntries; ++i) config.controllers[pad].keys[i] = static_cast<uint16_t>(pad * 100 + i);
    config.controllers[pad].rapid = {static_cast<uint16_t>(pad), 3};
  }
  config.netplay.chatPos = {5, 6, 7, 8};
  config.netplay.nickName = "Wrenfold";
  config.netplay.recentPortCount = 3;
  config.netplay.recentPorts = {"10000", "10001", "10002"};
  config.netplay.recentHostCount = 2;
  config.netplay.recentHosts = {"localhost:10000", "127.0.0.1:10002"};
  config.netplay.inputDelay = 7;
  config.netplay.rollback = 1;
  EXPECT_EQ(Reloaded(config), config);
  EXPECT_EQ(Names(SavedText(config)).back(), "Rollback");

  // Settings that are never saved come back as their defaults.
  AppConfig unsaved;
  unsaved.general.patternViewPos = {1, 1, 1, 1};
  unsaved.general.nameTableViewPos = {2, 2, 2, 2};
  unsaved.general.paletteViewPos = {3, 3, 3, 3};
  unsaved.graphics.tvFrameMode = 1;
  unsaved.graphics.diskAccessLamp = 1;
  unsaved.graphics.paletteUse = 1;
  unsaved.graphics.paletteFile = "warm.pal";
  unsaved.sound.changeTone = 1;
  unsaved.path.snapshotPath = "./shots/";
  EXPECT_EQ(Reloaded(unsaved), AppConfig{});
}

TEST(AppConfigFile, SavingKeepsOtherLinesAndReadsThePathSection) {
  TempFolder folder;
  WriteBytes(folder / "qgu.ini",
             "[Path]\r\nSnapshotPathUse=0\r\nSnapshotPath=.\\shots\\\r\nWavePath=\r\n"
             "[Emulation]\r\nThrottleFPS=90\r\nUserNote=keep\r\n");
  AppConfig config = LoadAppConfigFile(folder / "qgu.ini");
  EXPECT_EQ(config.path.snapshotPathUse, 0);
  EXPECT_EQ(config.path.snapshotPath, "./shots/");
  EXPECT_EQ(config.path.wavePath, "./wave/") << "an empty text keeps the default";
  EXPECT_EQ(config.emulation.throttleFps, 90);
  config.emulation.throttleFps = 100;
  ASSERT_TRUE(SaveAppConfigFile(config, folder / "qgu.ini").ok());
  const std::string text = ReadBytes(folder / "qgu.ini");
  EXPECT_EQ(text.rfind("[Path]\r\nSnapshotPathUse=0\r\n", 0), 0u);
  EXPECT_NE(text.find("ThrottleFPS=100\r\nUserNote=keep\r\nIllegalOp="), std::string::npos) << text;
}

TEST(AppConfigFile, OlderKeysFormsFillTheEntriesTheyHold) {
  std::vector<uint8_t> bytes;
  const auto words = [&bytes](int count, int base) {
    bytes.clear();
    for (int i = 0; i < count; ++i) {
      bytes.push_back(static_cast<uint8_t>(base + i));
      bytes.push_back(0);
    }
  };
  struct Form {
    int wordsPerBinding;
    bool secondBinding;
  };
  for (const Form form : {Form{16, true}, Form{10, true}, Form{10, false}}) {
    words(form.wordsPerBinding * (form.secondBinding ? 2 : 1), 1);
    const AppConfig config = LoadedWithStruct("Controller 2", "Keys", bytes);
    const std::array<uint16_t, kKeyEntries>& keys = config.controllers[1].keys;
    SCOPED_TRACE(bytes.size());
    EXPECT_EQ(keys[0], 1);
    EXPECT_EQ(keys[form.wordsPerBinding - 1], form.wordsPerBinding);
    if (form.wordsPerBinding == 10) {
      EXPECT_EQ(keys[kButtonMic], 50) << "the microphone key is kept";
    } else {
      EXPECT_EQ(keys[kButtonMic], 11);
    }
    EXPECT_EQ(keys[kSecondBinding], form.secondBinding ? form.wordsPerBinding + 1 : 0);
    EXPECT_EQ(config.controllers[0], AppConfig{}.controllers[0]);
  }
  // A struct of any other size is ignored.
  words(15, 1);
  EXPECT_EQ(LoadedWithStruct("Controller 1", "Keys", bytes).controllers[0], AppConfig{}.controllers[0]);
}

TEST(AppConfigFile, JoyAxisDisableBecomesMasks) {
  const uint16_t masks[] = {0x3F, 0x3E, 0x3C, 0x38, 0x30, 0x20};
  for (int stored = 0; stored <= 7; ++stored) {
    ProfileDocument profile;
    profile.WriteInt("General", "JoyAxisDisable", stored);
    const uint8_t setting[32] = {0x07};  // JoyAxisSetting[0] = 7
    profile.WriteStruct("General", "JoyAxisSetting", setting);
    const AppConfig config = Loaded(profile);
    SCOPED_TRACE(stored);
    EXPECT_EQ(config.general.joyAxisDisable, 0);
    const uint16_t expected = stored == 0 ? 0 : stored <= 6 ? masks[stored - 1] : 0;
    EXPECT_EQ(config.general.joyAxisSetting[15], expected);
    EXPECT_EQ(config.general.joyAxisSetting[0], stored == 0 ? 7 : expected);
  }
}

TEST(AppConfigFile, DamagedStructsAreIgnored) {
  ProfileDocument profile;
  profile.SetValue("General", "WindowPos", "0A000000000000000000000000000000FF");  // checksum should be 0A
  profile.SetValue("General", "MemoryViewPos", "0A0A");                              // wrong size
  const uint8_t shortVolume[30] = {};
  profile.WriteStruct("Sound", "Volume", shortVolume);
  const uint8_t goodRect[16] = {0x0A};
  profile.WriteStruct("Netplay", "ChatPos", goodRect);
  const AppConfig config = Loaded(profile);
  EXPECT_EQ(config.general.windowPos, SettingsRect{});
  EXPECT_EQ(config.general.memoryViewPos, SettingsRect{});
  EXPECT_EQ(config.sound.volume, AppConfig{}.sound.volume);
  EXPECT_EQ(config.netplay.chatPos, (SettingsRect{10, 0, 0, 0}));
}

TEST(AppConfigFile, RecentListsReadAndWriteAtMostTheirCountAndSixteen) {
  AppConfig config = Loaded(ProfileDocument::Parse("[Netplay]\nRecnetPortNum=0\nRecentPort00=20000\n"));
  EXPECT_EQ(config.netplay.recentPortCount, 0);
  EXPECT_EQ(config.netplay.recentPorts[0], "10000");
  EXPECT_EQ(SavedText(config).find("RecentPort"), std::string::npos);

  std::string many = "[Netplay]\nRecnetHostNum=40\n";
  for (int i = 0; i < 20; ++i) {
    many += std::string("RecentHost") + (i < 10 ? "0" : "") + std::to_string(i) + "=host" + std::to_string(i) + ":1\n";
  }
  config = Loaded(ProfileDocument::Parse(many));
  EXPECT_EQ(config.netplay.recentHostCount, 16);
  EXPECT_EQ(config.netplay.recentHosts[15], "host15:1");
  const std::string saved = SavedText(config);
  EXPECT_NE(saved.find("RecnetHostNum=16\r\n"), std::string::npos);
  EXPECT_NE(saved.find("RecentHost15=host15:1\r\n"), std::string::npos);
  EXPECT_EQ(saved.find("RecentHost16"), std::string::npos);

  config.netplay.recentPortCount = -4;
  config.netplay.recentHostCount = 99;
  EXPECT_NE(SavedText(config).find("RecnetPortNum=0\r\n"), std::string::npos);

  config.netplay.nickName = "two\nlines";
  ProfileDocument refused;
  EXPECT_FALSE(StoreAppConfig(config, refused).ok());
  EXPECT_EQ(refused.Value("Netplay", "NickName"), std::nullopt);
  EXPECT_TRUE(refused.Value("Netplay", "RecnetHostNum").has_value()) << "the rest is still written";
}

// Numbers the program cannot work with: a sound ring of gigabytes, an int
// that overflows, a rate no device opens. Each is clamped (or keeps the
// default where nothing is near) and named, with the file it came from.
TEST(AppConfigFile, NumbersOutOfRangeAreClampedAndNamed) {
  TempFolder folder;
  std::array<uint8_t, 32> volume{};
  for (size_t i = 0; i < volume.size(); i += 2) volume[i] = 50;
  volume[6] = 0xFF;  // entry 3: 65535
  volume[7] = 0xFF;
  const std::array<uint8_t, 4> rapid = {7, 0, 2, 0};
  WriteBytes(folder / "qgu.ini",
             "[Sound]\r\nBufferSize=2147483647\r\nSamplingRate=12345\r\nSamplingBits=16\r\nVolume=" +
                 EncodeProfileStruct(volume) + "\r\n[Graphics]\r\nScanlineColor=-5\r\nFPSDisp=-1\r\n"
                 "[Emulation]\r\nThrottleFPS=0\r\n[Controller 2]\r\nRapid=" + EncodeProfileStruct(rapid) +
                 "\r\n[Netplay]\r\nRecnetPortNum=99\r\n");
  std::vector<std::string> notes;
  const AppConfig config = LoadAppConfigFile(folder / "qgu.ini", &notes);
  EXPECT_EQ(config.sound.bufferSize, 30);
  EXPECT_EQ(config.sound.samplingRate, 22050) << "no rate is near: the default stays";
  EXPECT_EQ(config.sound.samplingBits, 16);
  EXPECT_EQ(config.sound.volume[3], 1000);
  EXPECT_EQ(config.sound.volume[4], 50);
  EXPECT_EQ(config.graphics.scanlineColor, 0);
  EXPECT_EQ(config.graphics.fpsDisp, -1) << "a flag is on whatever its value";
  EXPECT_EQ(config.emulation.throttleFps, 10);
  EXPECT_EQ(config.controllers[1].rapid, (std::array<uint16_t, 2>{3, 2}));
  EXPECT_EQ(config.netplay.recentPortCount, 16);
  const std::string file = (folder / "qgu.ini").string();
  EXPECT_EQ(notes, (std::vector<std::string>{
                       file + ": [Emulation] ThrottleFPS=0 is outside 10 to 600; 10 is used",
                       file + ": [Graphics] ScanlineColor=-5 is outside 0 to 100; 0 is used",
                       file + ": [Sound] SamplingRate=12345 is not one of 11025, 22050, 44100 or 48000; 22050 is used",
                       file + ": [Sound] BufferSize=2147483647 is outside 2 to 30; 30 is used",
                       file + ": [Sound] Volume[3]=65535 is outside 0 to 1000; 1000 is used",
                       file + ": [Controller 2] Rapid[0]=7 is outside 0 to 3; 3 is used",
                       file + ": [Netplay] RecnetPortNum=99 is outside 0 to 16; 16 is used",
                   }));
  // What the program then runs with stays within bounds: 30 frames of sound a block.
  const AppConfig sane = LoadAppConfigFile(folder / "qgu.ini");
  EXPECT_EQ(sane, config);
  EXPECT_TRUE(Loaded(ProfileDocument::Parse("[Sound]\nBufferSize=1000\n")).sound.bufferSize == 30);
  std::vector<std::string> none;
  AppConfig defaults;
  LoadAppConfig(ProfileDocument::Parse(SavedText(AppConfig{})), defaults, &none);
  EXPECT_TRUE(none.empty()) << "the defaults are all in range";
}

// The save respects the file the user made: a read-only file and one that
// could not be read are left as they are (and the error says so), a link is
// written through, and the file keeps its permissions.
TEST(AppConfigFile, SaveRespectsTheFileTheUserMade) {
  TempFolder folder;
  const std::filesystem::path file = folder / "qgu.ini";
  namespace fs = std::filesystem;
  AppConfig config;
  config.sound.bufferSize = 9;

  WriteBytes(file, "[Sound]\r\nBufferSize=5\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
  Status saved = SaveAppConfigFile(config, file);
  ASSERT_FALSE(saved.ok());
  EXPECT_NE(saved.error().find("read-only"), std::string::npos) << saved.error();
  EXPECT_EQ(ReadBytes(file), "[Sound]\r\nBufferSize=5\r\n");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::group_read);

  // Through a link: the link stays a link, its file gets the settings and keeps its mode.
  fs::create_directories(folder / "real");
  WriteBytes(folder / "real" / "settings.ini", "; mine\r\n");
  fs::permissions(folder / "real" / "settings.ini", fs::perms::owner_read | fs::perms::owner_write);
  fs::remove(file);
  fs::create_symlink("real/settings.ini", file);
  ASSERT_TRUE(SaveAppConfigFile(config, file).ok());
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
  EXPECT_EQ(ReadBytes(folder / "real" / "settings.ini").substr(0, 8), "; mine\r\n");
  EXPECT_EQ(LoadAppConfigFile(file).sound.bufferSize, 9);
  EXPECT_EQ(fs::status(folder / "real" / "settings.ini").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  // A link to a file not made yet makes it there.
  fs::remove(file);
  fs::create_symlink("real/new.ini", file);
  ASSERT_TRUE(SaveAppConfigFile(config, file).ok());
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
  EXPECT_EQ(LoadAppConfigFile(folder / "real" / "new.ini").sound.bufferSize, 9);

  // Over 1 MB: read as the defaults with a note, never overwritten.
  fs::remove(file);
  const std::string large = "[Sound]\r\nBufferSize=5\r\n" + std::string(1 << 21, ';');
  WriteBytes(file, large);
  std::vector<std::string> notes;
  EXPECT_EQ(LoadAppConfigFile(file, &notes), AppConfig{});
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("could not be read"), std::string::npos) << notes[0];
  saved = SaveAppConfigFile(config, file);
  ASSERT_FALSE(saved.ok());
  EXPECT_NE(saved.error().find("not saved over it"), std::string::npos) << saved.error();
  EXPECT_EQ(ReadBytes(file), large);
  ProfileFile profile;
  profile.Select(file);
  EXPECT_FALSE(profile.WriteInt("Sound", "BufferSize", 3).ok());
  EXPECT_EQ(ReadBytes(file).size(), large.size());

  // A folder in its place is refused the same way.
  fs::remove(file);
  fs::create_directory(file);
  EXPECT_FALSE(SaveAppConfigFile(config, file).ok());
  EXPECT_TRUE(fs::is_directory(file));
}

TEST(AppConfigFile, MachineSettingsFollowTheRecord) {
  AppConfig config;
  EXPECT_TRUE(ToMachineSettings(config).spriteMax);
  EXPECT_TRUE(ToMachineSettings(config).skipIdleLoops);
  config.graphics.spriteMax = 0;
  config.graphics.leftClip = 0;
  config.sound.enable = 0;
  config.sound.samplingRate = 44100;
  config.sound.samplingBits = 16;
  config.sound.volume[3] = 40;
  config.sound.disableVolumeEffect = 1;
  config.sound.changeTone = 1;
  config.emulation.fourPlayer = 0;
  config.controllers[2].rapid = {2, 9};
  config.emulation.skipIdleLoops = 0;
  const core::MachineSettings settings = ToMachineSettings(config);
  EXPECT_FALSE(settings.spriteMax);
  EXPECT_FALSE(settings.leftClip);
  EXPECT_FALSE(settings.soundEnable);
  EXPECT_EQ(settings.samplingRate, 44100);
  EXPECT_EQ(settings.samplingBits, 16);
  EXPECT_EQ(settings.volume[3], 40);
  EXPECT_EQ(settings.volume[4], 100);
  EXPECT_TRUE(settings.disableVolumeEffect);
  EXPECT_TRUE(settings.changeTone);
  EXPECT_FALSE(settings.fourPlayer);
  EXPECT_FALSE(settings.skipIdleLoops);
  EXPECT_EQ(settings.turboSpeed[2][0], 2);
  EXPECT_EQ(settings.turboSpeed[2][1], 3) << "speeds are 0..3";
  EXPECT_EQ(settings.turboSpeed[0][0], 0);
  // Idle-loop skipping as the file says it: 0 turns it off, a value that is
  // no number leaves the default (on), a number out of range is clamped.
  auto skipping = [](const char* text) {
    return ToMachineSettings(Loaded(ProfileDocument::Parse(std::string("[Emulation]\nSkipIdleLoops=") + text + "\n")))
        .skipIdleLoops;
  };
  EXPECT_FALSE(skipping("0"));
  EXPECT_TRUE(skipping("1"));
  EXPECT_TRUE(skipping("off")) << "not a number: the default";
  EXPECT_TRUE(skipping(""));
  EXPECT_TRUE(skipping("7"));
  EXPECT_FALSE(skipping("-2"));
}

TEST(GameOptions, ReadFromTheCartridgeSectionOfGameOptionIni) {
  EXPECT_EQ(GameOptionSection(0), "00000000");
  EXPECT_EQ(GameOptionSection(0xABCDEF12u), "ABCDEF12");

  TempFolder folder;
  const core::GameOptionLoader loader = MakeGameOptionLoader(folder / "GameOption.ini");
  core::GameOptions options;
  loader(0, options);
  EXPECT_EQ(options.renderMethod, 3) << "a missing file changes nothing";

  WriteBytes(folder / "GameOption.ini",
             "[00000001]\nRenderMethod=9\n[00000000]\nRenderMethod=0\nIRQtype=2\nVideoMode=1\n");
  loader(0, options);
  EXPECT_EQ(options.renderMethod, 0);
  EXPECT_EQ(options.irqType, 2);
  EXPECT_EQ(options.frameIrq, 1) << "a missing key keeps the current value";
  EXPECT_EQ(options.videoMode, 1);
}

// "GameOption.ini" is read from the user's configuration folder, "./qgu.ini"
// is saved in the working folder, and reading the one does not redirect the other.
TEST(GameOptions, LiveInTheConfigurationFolderAndDoNotRedirectTheSettingsSave) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "config" / "qgu");
  WriteBytes(folder / "config" / "qgu" / "GameOption.ini", "[00000000]\nRenderMethod=1\n");
  WriteBytes(folder / "GameOption.ini", "[00000000]\nRenderMethod=2\n");  // not this one
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string keptConfig = oldConfig != nullptr ? oldConfig : "";
  const std::string keptHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  core::GameOptions options;
  MakeGameOptionLoader()(0, options);
  const Status saved = SaveAppConfigFile(AppConfig{});
  std::filesystem::current_path(previous);
  EXPECT_EQ(ProfileLocation("GameOption.ini"), folder / "config" / "qgu" / "GameOption.ini");
  EXPECT_EQ(ProfileLocation("./qgu.ini"), std::filesystem::path("./qgu.ini"));
  ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  ::setenv("HOME", folder.path().c_str(), 1);
  EXPECT_EQ(ProfileLocation("GameOption.ini"), folder / ".config" / "qgu" / "GameOption.ini");
  ::setenv("HOME", keptHome.c_str(), 1);
  if (oldConfig != nullptr) {
    ::setenv("XDG_CONFIG_HOME", keptConfig.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  ASSERT_TRUE(saved.ok()) << saved.error();
  EXPECT_EQ(options.renderMethod, 1);
  EXPECT_TRUE(std::filesystem::exists(folder / "qgu.ini"));
}

}  // namespace
}  // namespace qgu::host

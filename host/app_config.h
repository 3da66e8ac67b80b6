#pragma once
// AppConfig: the settings record of qgu2, kept in the profile file
// "./qgu.ini" (loaded at start-up, saved at exit), and the per-cartridge
// options of "GameOption.ini". The meaning of each setting belongs to the code
// that uses it; this file fixes the keys, defaults and orders.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/machine_settings.h"
#include "host/profile_file.h"

namespace qgu::host {

inline constexpr const char* kAppConfigFile = "./qgu.ini";
inline constexpr const char* kGameOptionFile = "GameOption.ini";

// Texts are read into buffers of this size (so at most 259 characters).
inline constexpr size_t kSettingTextBuffer = 260;
inline constexpr int kControllerCount = 4;
inline constexpr int kKeyEntries = 64;  // 0..31 first binding, 32..63 second binding
inline constexpr int kRecentEntries = 16;
inline constexpr int kMaxInputDelayFrames = 18;  // as many as a link can carry

// Entries of a controller's key table (first binding; +32 for the second).
enum ControllerButton : int {
  kButtonUp = 0,
  kButtonDown,
  kButtonLeft,
  kButtonRight,
  kButtonA,
  kButtonB,
  kButtonTurboA,
  kButtonTurboB,
  kButtonSelect,
  kButtonStart,
  kButtonMic,  // offered for controller 2 only
};
inline constexpr int kSecondBinding = 32;

// Stored as four 32-bit integers: left, top, right, bottom.
struct SettingsRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const SettingsRect&) const = default;
};

struct AppConfig {
  struct General {
    int doubleExecute = 1;
    int windowZoom = 0;
    SettingsRect windowPos;
    SettingsRect patternViewPos;    // not saved
    SettingsRect nameTableViewPos;  // not saved
    SettingsRect paletteViewPos;    // not saved
    SettingsRect memoryViewPos;
    int screenZoom = 0;
    int joyAxisDisable = 0;  // older form; turned into joyAxisSetting on load
    std::array<uint16_t, 16> joyAxisSetting{};
    bool operator==(const General&) const = default;
  } general;

  // Read, never written back.
  struct Path {
    int snapshotPathUse = 1;
    int moviePathUse = 1;
    int wavePathUse = 1;
    std::string snapshotPath = "./snapshot/";
    std::string moviePath = "./movie/";
    std::string wavePath = "./wave/";
    bool operator==(const Path&) const = default;
  } path;

  struct Emulation {
    int illegalOp = 0;
    int autoFrameSkip = 1;
    int throttle = 1;
    int throttleFps = 120;
    int background = 0;
    int priority = 3;
    int fourPlayer = 1;
    int crcCheck = 1;
    int diskThrottle = 1;
    int loadFullscreen = 0;
    int skipIdleLoops = 1;  // "SkipIdleLoops": 0 runs the CPU's idle loops instead of counting them
    bool operator==(const Emulation&) const = default;
  } emulation;

  struct Graphics {
    int aspect = 0;
    int spriteMax = 1;
    int allLine = 0;
    int fpsDisp = 0;
    int tvFrameMode = 0;  // not saved
    int scanlineMode = 0;
    int scanlineColor = 75;
    int syncDraw = 0;
    int maxZoom = 0;
    int leftClip = 1;
    int windowVSync = 0;
    int diskAccessLamp = 0;  // not saved
    int doubleSize = 0;
    int systemMemory = 0;
    int useHel = 0;
    int displayWidth = 640;
    int displayHeight = 480;
    int displayDepth = 16;
    int displayRate = 0;
    int paletteUse = 0;       // not saved
    std::string paletteFile;  // not saved
    bool operator==(const Graphics&) const = default;
  } graphics;

  struct Sound {
    int enable = 1;
    int samplingRate = 22050;
    int samplingBits = 8;
    int bufferSize = 4;
    int changeTone = 0;  // not saved
    int disableVolumeEffect = 0;
    std::array<uint16_t, 16> volume = {100, 100, 100, 100, 100, 100, 100, 100,
                                       100, 100, 100, 100, 100, 100, 100, 100};
    bool operator==(const Sound&) const = default;
  } sound;

  struct Controller {
    std::array<uint16_t, kKeyEntries> keys{};  // input codes, 0 = none
    std::array<uint16_t, 2> rapid{};           // turbo speed of A and B, 0..3
    bool operator==(const Controller&) const = default;
  };
  std::array<Controller, kControllerCount> controllers = DefaultControllers();

  struct Netplay {
    SettingsRect chatPos;
    std::string nickName = "NoName";
    int recentPortCount = 1;  // "RecnetPortNum"
    std::array<std::string, kRecentEntries> recentPorts = {"10000"};
    int recentHostCount = 1;  // "RecnetHostNum"
    std::array<std::string, kRecentEntries> recentHosts = {"localhost:10000"};
    int inputDelay = 0;  // "InputDelay": the host's input delay in frames, 0 chosen from the round trip
    int rollback = 0;  // "Rollback": 1 hosts rollback games, 0 lockstep ones (a joining side takes the host's)
    bool operator==(const Netplay&) const = default;
  } netplay;

  bool operator==(const AppConfig&) const = default;

  // Keyboard scan codes: controller 1 on the arrows, X, Z, right Shift and
  // Enter; controller 2 on the keypad arrows, N, B and M for the microphone.
  static std::array<Controller, kControllerCount> DefaultControllers();
};

// Reads every section in the order General, Path, Emulation, Graphics, Sound,
// Controller 1..4, Netplay, each key with the current value as its default.
// A number the program cannot work with (a sound ring of gigabytes, a rate
// the sound output cannot open) is clamped to the nearest that works, or
// keeps the current value where there is no nearest; notes then receives one
// line per key, such as "[Sound] BufferSize=1000 is outside 2 to 30; 30 is used".
void LoadAppConfig(const ProfileDocument& profile, AppConfig& config, std::vector<std::string>* notes = nullptr);

// Writes General, Emulation, Graphics, Sound, Controller 1..4, Netplay: the
// saved keys only, in their write order. Fails (after writing the rest) only
// when a text cannot be stored.
Status StoreAppConfig(const AppConfig& config, ProfileDocument& profile);

// The file edge: defaults overwritten from the file (a missing file gives the
// defaults; one that is there but cannot be read gives them too, with a note
// saying why), and the save that keeps every other line of the file. The
// notes name the file. The save refuses to replace a file it cannot read or
// that is read-only, and writes through a symbolic link (see ProfileFile).
AppConfig LoadAppConfigFile(const std::filesystem::path& file = kAppConfigFile,
                            std::vector<std::string>* notes = nullptr);
Status SaveAppConfigFile(const AppConfig& config, const std::filesystem::path& file = kAppConfigFile);

// The machine's view of the settings: sprite limit, left clip, sound, four
// players, the turbo speeds and idle-loop skipping.
core::MachineSettings ToMachineSettings(const AppConfig& config);

// "%08X" of the cartridge id (always "00000000" here: the loader computes no checksum).
std::string GameOptionSection(uint32_t cartridgeId);

// Overwrites the options with RenderMethod, IRQtype, FrameIRQ and VideoMode of
// the cartridge's section, keeping the current values where keys are missing.
void LoadGameOptions(const ProfileDocument& profile, uint32_t cartridgeId, core::GameOptions& options);

// Where a profile file named like this lives: a bare name such as
// "GameOption.ini" in the user's configuration folder ($XDG_CONFIG_HOME/qgu,
// else ~/.config/qgu); a name with a folder part ("./qgu.ini") as it is.
std::filesystem::path ProfileLocation(const std::filesystem::path& name);

// A loader the machine calls with the cartridge id; it reads the file anew
// each time (a missing file changes nothing), from ProfileLocation(file).
core::GameOptionLoader MakeGameOptionLoader(std::filesystem::path file = kGameOptionFile);

}  // namespace qgu::host

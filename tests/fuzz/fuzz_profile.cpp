// Profile reader and the settings record: any file must load without a crash,
// and a saved record must load back unchanged.

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/app_config.h"
#include "host/profile_file.h"

namespace {

using namespace qgu::host;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const ProfileDocument profile = ProfileDocument::Parse(text);

  AppConfig config;
  LoadAppConfig(profile, config);
  Check(config.general.joyAxisDisable == 0);
  Check(config.netplay.recentPortCount >= 0 && config.netplay.recentPortCount <= kRecentEntries);
  Check(config.netplay.recentHostCount >= 0 && config.netplay.recentHostCount <= kRecentEntries);
  qgu::core::GameOptions options;
  LoadGameOptions(profile, 0, options);
  (void)ToMachineSettings(config);

  ProfileDocument saved = profile;
  if (!StoreAppConfig(config, saved).ok()) return 0;  // a text with a line break in it
  AppConfig reloaded;
  LoadAppConfig(ProfileDocument::Parse(saved.Serialize()), reloaded);
  Check(reloaded == config);
  return 0;
}

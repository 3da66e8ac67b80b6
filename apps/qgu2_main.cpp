// qgu2: the game program. This first entry point prepares what every start
// needs (the cartridge and a league to choose teams from); the game window
// and the headless game come with later work.
//
//   qgu2 [--cartridge FILE] [--headless]

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "league/cartridge_teams.h"
#include "league/default_league.h"
#include "league/league_folders.h"

namespace {

constexpr size_t kImageBytes = 393'232;
constexpr int kMapper = 4;

struct Options {
  std::optional<std::string> cartridge;
  bool headless = false;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--cartridge" && i + 1 < argc) {
      options.cartridge = argv[++i];
    } else if (arg == "--headless") {
      options.headless = true;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

// Another image can stand in for the carried one only if it has the same layout.
std::string CheckPlayableImage(const std::string& path, std::span<const uint8_t> image) {
  if (image.size() < 16 || image[0] != 'N' || image[1] != 'E' || image[2] != 'S' || image[3] != 0x1A) {
    return path + " is not an iNES cartridge image";
  }
  if (image.size() != kImageBytes) {
    return path + " is " + std::to_string(image.size()) + " bytes; the football cartridge is 393,232 bytes";
  }
  const int mapper = (image[6] >> 4) | (image[7] & 0xF0);
  if (mapper != kMapper) {
    return path + " uses mapper " + std::to_string(mapper) + "; the football cartridge uses mapper 4";
  }
  if (!qgu::league::CheckCartridgeImage(image)) {
    return path + " does not carry the football cartridge's game check (\"ZEMRATH\" at 0x3C139)";
  }
  return {};
}

int Fail(const std::string& message) {
  std::cerr << "qgu2: " << message << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << "usage: qgu2 [--cartridge FILE] [--headless]\n";
    return 2;
  }

  std::vector<uint8_t> loaded;
  std::span<const uint8_t> image = qgu::cartridge::EmbeddedCartridgeImage();
  if (options->cartridge) {
    auto file = qgu::league::ReadCartridgeFile(*options->cartridge);
    if (!file) return Fail("unable to read " + *options->cartridge);
    loaded = std::move(file.value());
    if (const std::string problem = CheckPlayableImage(*options->cartridge, loaded); !problem.empty()) {
      return Fail(problem);
    }
    image = loaded;
  }

  auto league = qgu::league::EnsureDefaultLeague(".", image);
  if (!league) return Fail(league.error());
  if (league.value().created) std::cout << "qgu2: " << league.value().message << "\n";

  return Fail(std::string("the ") + (options->headless ? "headless game" : "game window") +
              " is not built yet; leagues and the cartridge are ready for it");
}

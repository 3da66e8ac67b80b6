// qgu_cartridge_builder: places the team file's 28 teams into the game
// program image and writes the cartridge image the programs carry.
//
//   qgu_cartridge_builder --teams FILE (--program FILE | --stand-in) --output FILE
//
// Any broken layout rule is printed and fails the build; nothing is written then.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cartridge/builder/image_builder.h"

namespace {

constexpr const char* kTool = "qgu_cartridge_builder";

struct Options {
  std::string teams;
  std::string program;
  bool standIn = false;
  std::string output;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--teams" && hasValue) {
      options.teams = argv[++i];
    } else if (arg == "--program" && hasValue) {
      options.program = argv[++i];
    } else if (arg == "--stand-in") {
      options.standIn = true;
    } else if (arg == "--output" && hasValue) {
      options.output = argv[++i];
    } else {
      return std::nullopt;
    }
  }
  if (options.teams.empty() || options.output.empty() || options.standIn == !options.program.empty()) {
    return std::nullopt;
  }
  return options;
}

std::optional<std::vector<char>> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Fail(const std::vector<std::string>& errors) {
  for (const auto& error : errors) std::cerr << kTool << ": error: " << error << "\n";
  return 1;
}

// Written beside the target and renamed, so a failed write never leaves a half image.
bool WriteImage(const std::string& path, const std::vector<uint8_t>& image) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (!out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qgu::cartridge;
  const auto options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << "usage: " << kTool << " --teams FILE (--program FILE | --stand-in) --output FILE\n";
    return 2;
  }
  std::error_code ignored;
  std::filesystem::remove(options->output, ignored);  // never leave an image of older data behind
  const auto teamText = ReadFile(options->teams);
  if (!teamText) return Fail({"cannot read the team file " + options->teams});
  const auto source = ParseTeamSource(std::string_view(teamText->data(), teamText->size()), options->teams);
  if (!source.errors.empty()) return Fail(source.errors);

  std::vector<uint8_t> program;
  if (options->standIn) {
    program = MakeStandInProgramImage();
  } else {
    const auto bytes = ReadFile(options->program);
    if (!bytes) return Fail({"cannot read the program image " + options->program});
    program.assign(bytes->begin(), bytes->end());
  }

  const BuildResult built = BuildCartridgeImage(program, source.teams);
  if (!built.errors.empty()) return Fail(built.errors);
  if (!WriteImage(options->output, built.image)) return Fail({"cannot write " + options->output});
  std::cout << kTool << ": " << source.teams.size() << " teams placed into " << options->output
            << (options->standIn ? " (stand-in program)" : "") << "\n";
  return 0;
}

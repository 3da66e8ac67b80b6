// qgu_cartridge_builder: places the team file's 28 teams into the game
// program image and writes the cartridge image the programs carry.
//
//   qgu_cartridge_builder --teams FILE (--program FILE | --stand-in) --output FILE
//
// Any broken layout rule is printed and fails the build; nothing is written then.

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "base/file_write.h"
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

// The team file and the program image are far smaller than this.
constexpr size_t kMaxInputBytes = 16 << 20;

int Fail(const std::vector<std::string>& errors) {
  for (const auto& error : errors) std::cerr << kTool << ": error: " << error << "\n";
  return 1;
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
  const auto teamText = qgu::base::ReadFileText(options->teams, kMaxInputBytes);
  if (!teamText) return Fail({"cannot read the team file: " + teamText.error()});
  const auto source = ParseTeamSource(teamText.value(), options->teams);
  if (!source.errors.empty()) return Fail(source.errors);

  std::vector<uint8_t> program;
  if (options->standIn) {
    program = MakeStandInProgramImage();
  } else {
    auto bytes = qgu::base::ReadFileBytes(options->program, kMaxInputBytes);
    if (!bytes) return Fail({"cannot read the program image: " + bytes.error()});
    program = std::move(bytes).value();
  }

  const BuildResult built = BuildCartridgeImage(program, source.teams);
  if (!built.errors.empty()) return Fail(built.errors);
  // Written beside the target and renamed, so a failed write never leaves a half image.
  const auto written = qgu::base::ReplaceFile(
      options->output, std::string_view(reinterpret_cast<const char*>(built.image.data()), built.image.size()));
  if (!written) return Fail({written.error()});
  std::cout << kTool << ": " << source.teams.size() << " teams placed into " << options->output
            << (options->standIn ? " (stand-in program)" : "") << "\n";
  return 0;
}

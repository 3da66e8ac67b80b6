#pragma once
// What the league commands of qgu2 (season, dynasty) share: their arguments
// (positional ones and --options, numbers checked against their range), the
// two ways a command fails, and the leagues folder they work in.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qgu::apps {

// A bad command line: exit status 2 with the message and a pointer to --help.
struct UsageError {
  std::string message;
};
// The command could not do its work: exit status 1 with the message.
struct Failure {
  std::string message;
};

// The option's value as a whole number within low..high, or a UsageError naming it.
int64_t WholeNumber(const std::string& option, const std::string& text, int64_t low, int64_t high);

// The arguments after the subcommand, each to be taken once: Finish refuses what is left.
class CArguments {
 public:
  CArguments(int argc, char** argv, int first);
  // The next positional argument, or a usage error naming it.
  std::string Positional(const std::string& what);
  std::vector<std::string> Rest();
  bool Flag(const std::string& name);
  // All values of an option (--user A --user B).
  std::vector<std::string> Values(const std::string& name);
  std::optional<std::string> Value(const std::string& name);
  std::optional<int64_t> Number(const std::string& name, int64_t low, int64_t high);
  void Finish();

 private:
  std::vector<std::string> items_;
  std::vector<bool> used_;
};

// The leagues folder here ("qgu_lge"), or a Failure saying there is none.
std::filesystem::path LeaguesFolder();
// A league's folder by its name, refusing names that are not one folder name.
std::filesystem::path LeagueFolder(const std::string& league);

// Standard output, every byte, or a Failure.
void WriteOut(const std::string& text);

int DefaultJobs();
// m:ss
std::string Clock(double seconds);

}  // namespace qgu::apps

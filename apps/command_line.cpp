#include "apps/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "league/league_folders.h"

namespace qgu::apps {

namespace fs = std::filesystem;

int64_t WholeNumber(const std::string& option, const std::string& text, int64_t low, int64_t high) {
  bool digits = !text.empty() && text.size() <= 18;
  int64_t value = 0;
  for (const char ch : text) {
    if (ch < '0' || ch > '9') digits = false;
    else value = value * 10 + (ch - '0');
  }
  if (!digits || value < low || value > high) {
    throw UsageError{option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not \"" + text + "\""};
  }
  return value;
}

CArguments::CArguments(int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) items_.emplace_back(argv[i]);
  used_.assign(items_.size(), false);
}

std::string CArguments::Positional(const std::string& what) {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (!used_[i] && !items_[i].starts_with("--")) {
      used_[i] = true;
      return items_[i];
    }
    if (!used_[i] && items_[i].starts_with("--")) break;
  }
  throw UsageError{"the " + what + " is missing"};
}

std::vector<std::string> CArguments::Rest() {
  std::vector<std::string> rest;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (!used_[i] && !items_[i].starts_with("--")) {
      used_[i] = true;
      rest.push_back(items_[i]);
    }
  }
  return rest;
}

bool CArguments::Flag(const std::string& name) {
  bool found = false;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (!used_[i] && items_[i] == name) found = used_[i] = true;
  }
  return found;
}

std::vector<std::string> CArguments::Values(const std::string& name) {
  std::vector<std::string> values;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (used_[i] || items_[i] != name) continue;
    used_[i] = true;
    if (i + 1 >= items_.size() || items_[i + 1].starts_with("--")) throw UsageError{name + " needs a value"};
    used_[++i] = true;
    values.push_back(items_[i]);
  }
  return values;
}

std::optional<std::string> CArguments::Value(const std::string& name) {
  std::vector<std::string> values = Values(name);
  if (values.size() > 1) throw UsageError{name + " given twice"};
  return values.empty() ? std::nullopt : std::optional(values.front());
}

std::optional<int64_t> CArguments::Number(const std::string& name, int64_t low, int64_t high) {
  const std::optional<std::string> text = Value(name);
  if (!text) return std::nullopt;
  return WholeNumber(name, *text, low, high);
}

void CArguments::Finish() {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (!used_[i]) throw UsageError{"unknown argument \"" + items_[i] + "\""};
  }
}

fs::path LeaguesFolder() {
  const std::optional<fs::path> leagues = league::FindLeaguesFolder(".");
  if (!leagues) throw Failure{"no leagues folder \"qgu_lge\" here"};
  return *leagues;
}

fs::path LeagueFolder(const std::string& league) {
  if (league.empty() || league == "." || league == ".." || league.find('/') != std::string::npos) {
    throw Failure{"\"" + league + "\" is not a league name (a folder name under qgu_lge)"};
  }
  const fs::path leagues = LeaguesFolder();
  const fs::path folder = leagues / league;
  std::error_code error;
  if (!fs::is_directory(folder, error)) throw Failure{"no league \"" + league + "\" in " + leagues.string()};
  return folder;
}

void WriteOut(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    throw Failure{std::string("cannot write to standard output: ") + (errno ? std::strerror(errno) : "write error")};
  }
}

int DefaultJobs() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

std::string Clock(double seconds) {
  const int whole = static_cast<int>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
  return text;
}

}  // namespace qgu::apps

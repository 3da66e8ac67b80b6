#pragma once
// The registry file that stands in for the Windows class registry:
// $XDG_CONFIG_HOME/qgu/registry.ini (else ~/.config/qgu/registry.ini).
// Each key is a section named by its full path, its values "name=value"
// lines, the key's default value under the name "@":
//
//   [HKEY_CLASSES_ROOT\Qghelper.QuoziHelper]
//   @=QuoziHelper Class
//
// Key names are matched without regard to case, as on Windows. Lines end with
// LF, CR LF or CR CR LF; lines added take the end of the file's first line.
// Editing keeps every other section's lines exactly as they were, and a file
// left without any key is removed, so registering and unregistering a server
// restores the file byte for byte.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "league/result.h"

namespace qgu::com {

using league::Result;
using league::Status;

inline constexpr std::string_view kDefaultValueName = "@";
inline constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT";

class RegistryFile {
 public:
  static std::filesystem::path DefaultPath();
  // Larger files are refused unread.
  static constexpr size_t kMaxFileBytes = 4 << 20;

  // A missing file reads as an empty registry; anything but a regular file is refused.
  static Result<RegistryFile> Load(const std::filesystem::path& path);
  static RegistryFile Parse(std::string_view text);
  std::string Serialize() const;
  // Through a temporary file; an empty registry removes the file.
  Status Save(const std::filesystem::path& path) const;

  bool HasKey(std::string_view key) const;
  std::optional<std::string> Value(std::string_view key, std::string_view name = kDefaultValueName) const;
  // Creates the key when missing. Names and values must not hold a line end.
  void SetValue(std::string_view key, std::string_view name, std::string_view value);
  void CreateKey(std::string_view key);
  // The key and every key below it.
  void RemoveKey(std::string_view key);
  bool Empty() const { return sections_.empty() && leading_.empty(); }

 private:
  struct Section {
    std::string key;
    std::vector<std::string> lines;  // header line first; each as in the file, without its LF
  };
  Section* Find(std::string_view key);
  const Section* Find(std::string_view key) const;
  // The CRs that end the file's first line (before its LF), for lines added.
  std::string LineEndCarriageReturns() const;

  std::vector<std::string> leading_;  // lines before the first section
  std::vector<Section> sections_;
  std::string parsedCarriageReturns_;  // of the first line read, for a file since emptied
};

// HKEY_CLASSES_ROOT\<path>
std::string ClassesRootKey(std::string_view path);

}  // namespace qgu::com

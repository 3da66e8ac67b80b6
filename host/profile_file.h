#pragma once
// Private profile files: "[Section]" lines and "Key=Value" lines, CR LF line
// ends. Section and key names are matched without regard to case; the first
// match wins. Values are integers ("%d"), texts, or structs stored as two hex
// digits per byte followed by a two-digit checksum (the byte sum modulo 256).
// Writing a key keeps every other line of the file as it was.
//
// ProfileDocument is the file's text in memory (pure, testable); ProfileFile
// is the select-a-file-then-read/write front of it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "league/result.h"

namespace qgu::host {

using league::Result;
using league::Status;

class ProfileDocument {
 public:
  ProfileDocument() = default;
  // Any bytes are accepted; lines end at LF, trailing CRs are dropped.
  static ProfileDocument Parse(std::string_view text);
  // Every line followed by CR LF.
  std::string Serialize() const;

  // The value as stored (blanks around it and one pair of enclosing quotes removed).
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Replaces the key's value, adds the key at the end of its section, or adds
  // the section at the end of the document.
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  // The stored integer, or the default when the key is missing or its value
  // does not start with a number. Values beyond 32 bits are clamped.
  int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;
  // True only for a non-empty value shorter than the buffer (room left for the
  // terminating zero); then `value` receives it, else it is left alone.
  bool ReadText(std::string_view section, std::string_view key, std::string& value, size_t bufferSize) const;
  // True only when the stored struct has exactly data.size() bytes and a valid
  // checksum; then data receives it, else it is left alone.
  bool ReadStruct(std::string_view section, std::string_view key, std::span<uint8_t> data) const;

  void WriteInt(std::string_view section, std::string_view key, int value);
  // Refuses texts that would break the line layout (CR, LF or NUL). Texts that
  // reading would change (surrounding blanks or quotes) are stored in quotes.
  Status WriteText(std::string_view section, std::string_view key, std::string_view value);
  void WriteStruct(std::string_view section, std::string_view key, std::span<const uint8_t> data);

 private:
  struct Line {
    std::string text;
    std::string name;  // section name, or key name of a key line
    enum class Kind { kOther, kSection, kKey } kind = Kind::kOther;
    size_t valueStart = 0;  // key lines: where the raw value begins in text
  };
  static Line MakeLine(std::string text);
  // Index of the section's header line, or lines_.size().
  size_t FindSection(std::string_view section) const;
  std::optional<size_t> FindKey(size_t sectionLine, std::string_view key) const;

  std::vector<Line> lines_;
};

// Struct text: hex digits of each byte and the checksum, upper case.
std::string EncodeProfileStruct(std::span<const uint8_t> data);
// Decodes into data when the sizes match and the checksum is right.
bool DecodeProfileStruct(std::string_view text, std::span<uint8_t> data);

// Select a file, then read and write its keys. Every call reads the file as it
// is now, and every write stores the whole file at once (through a temporary
// file), so a missing file reads as empty and nothing else in it is lost. A
// file that cannot be read is never written over.
class ProfileFile {
 public:
  void Select(std::filesystem::path path) { path_ = std::move(path); }
  const std::filesystem::path& selected() const { return path_; }

  int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;
  bool ReadText(std::string_view section, std::string_view key, std::string& value, size_t bufferSize) const;
  bool ReadStruct(std::string_view section, std::string_view key, std::span<uint8_t> data) const;

  Status WriteInt(std::string_view section, std::string_view key, int value);
  Status WriteText(std::string_view section, std::string_view key, std::string_view value);
  Status WriteStruct(std::string_view section, std::string_view key, std::span<const uint8_t> data);

  // The selected file as a document (empty when missing or unreadable).
  ProfileDocument Load() const;
  // The same, but an error for a file that is there and cannot be read (too
  // large, not a regular file, no permission): such a file must not be
  // overwritten. A missing file is an empty document.
  Result<ProfileDocument> LoadExisting() const;
  // Stores the document. Through a symbolic link the file it leads to is
  // replaced (the link stays) and the file keeps its permissions; a file
  // without write permission is left as it is and the error says so.
  Status Store(const ProfileDocument& document) const;

 private:
  std::filesystem::path path_;
};

}  // namespace qgu::host

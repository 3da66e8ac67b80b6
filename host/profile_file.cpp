#include "host/profile_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

#include "base/file_read.h"
#include "base/file_write.h"
#include "base/text.h"

namespace qgu::host {
namespace {

// Settings files hold a few dozen lines; anything far larger is not one.
constexpr size_t kMaxProfileBytes = 1 << 20;

constexpr std::string_view kBlanks = " \t";

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

std::string_view Trim(std::string_view text) { return base::Trim(text, kBlanks); }

bool SameName(std::string_view a, std::string_view b) { return base::EqualsIgnoringCase(a, b); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Two hex digits -> byte, or -1.
int HexByte(std::string_view text, size_t at) {
  const int high = HexDigit(text[at]);
  const int low = HexDigit(text[at + 1]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

std::optional<int> ParseInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min(magnitude * 10 + (text[i] - '0'), kLimit);
  }
  const int64_t value = negative ? -magnitude : std::min<int64_t>(magnitude, kLimit - 1);
  return static_cast<int>(value);
}

}  // namespace

std::string EncodeProfileStruct(std::span<const uint8_t> data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(data.size() * 2 + 2);
  unsigned sum = 0;
  const auto append = [&text](unsigned byte) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  };
  for (uint8_t byte : data) {
    append(byte);
    sum += byte;
  }
  append(sum & 0xFF);
  return text;
}

bool DecodeProfileStruct(std::string_view text, std::span<uint8_t> data) {
  if (text.size() != data.size() * 2 + 2) return false;
  std::vector<uint8_t> bytes(data.size());
  unsigned sum = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const int byte = HexByte(text, i * 2);
    if (byte < 0) return false;
    bytes[i] = static_cast<uint8_t>(byte);
    sum += static_cast<unsigned>(byte);
  }
  const int checksum = HexByte(text, bytes.size() * 2);
  if (checksum < 0 || static_cast<unsigned>(checksum) != (sum & 0xFF)) return false;
  std::copy(bytes.begin(), bytes.end(), data.begin());
  return true;
}

ProfileDocument::Line ProfileDocument::MakeLine(std::string text) {
  Line line;
  line.text = std::move(text);
  const std::string_view trimmed = Trim(line.text);
  if (!trimmed.empty() && trimmed.front() == '[') {
    std::string_view name = trimmed.substr(1);
    name = name.substr(0, name.find(']'));
    line.kind = Line::Kind::kSection;
    line.name = Trim(name);
  } else if (!trimmed.empty() && trimmed.front() != ';') {
    const size_t equals = line.text.find('=');
    if (equals != std::string::npos && !Trim(std::string_view(line.text).substr(0, equals)).empty()) {
      line.kind = Line::Kind::kKey;
      line.name = Trim(std::string_view(line.text).substr(0, equals));
      line.valueStart = equals + 1;
    }
  }
  return line;
}

ProfileDocument ProfileDocument::Parse(std::string_view text) {
  ProfileDocument document;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    document.lines_.push_back(MakeLine(std::string(line)));
  }
  return document;
}

std::string ProfileDocument::Serialize() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += "\r\n";
  }
  return text;
}

size_t ProfileDocument::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::Kind::kSection && SameName(lines_[i].name, section)) return i;
  }
  return lines_.size();
}

std::optional<size_t> ProfileDocument::FindKey(size_t sectionLine, std::string_view key) const {
  for (size_t i = sectionLine + 1; i < lines_.size() && lines_[i].kind != Line::Kind::kSection; ++i) {
    if (lines_[i].kind == Line::Kind::kKey && SameName(lines_[i].name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> ProfileDocument::Value(std::string_view section, std::string_view key) const {
  const size_t sectionLine = FindSection(section);
  if (sectionLine == lines_.size()) return std::nullopt;
  const std::optional<size_t> keyLine = FindKey(sectionLine, key);
  if (!keyLine) return std::nullopt;
  const Line& line = lines_[*keyLine];
  std::string_view value = Trim(std::string_view(line.text).substr(line.valueStart));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

void ProfileDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  const size_t sectionLine = FindSection(section);
  if (sectionLine == lines_.size()) {
    lines_.push_back(MakeLine("[" + std::string(section) + "]"));
    lines_.push_back(MakeLine(std::string(key) + "=" + std::string(value)));
    return;
  }
  if (const std::optional<size_t> keyLine = FindKey(sectionLine, key)) {
    lines_[*keyLine] = MakeLine(lines_[*keyLine].name + "=" + std::string(value));
    return;
  }
  size_t insertAt = sectionLine + 1;
  for (size_t i = sectionLine + 1; i < lines_.size() && lines_[i].kind != Line::Kind::kSection; ++i) {
    if (lines_[i].kind == Line::Kind::kKey) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                MakeLine(std::string(key) + "=" + std::string(value)));
}

int ProfileDocument::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
  const std::optional<std::string> value = Value(section, key);
  if (!value) return defaultValue;
  return ParseInt(*value).value_or(defaultValue);
}

bool ProfileDocument::ReadText(std::string_view section, std::string_view key, std::string& value,
                               size_t bufferSize) const {
  std::optional<std::string> stored = Value(section, key);
  if (!stored || stored->empty() || stored->size() >= bufferSize) return false;
  value = std::move(*stored);
  return true;
}

bool ProfileDocument::ReadStruct(std::string_view section, std::string_view key, std::span<uint8_t> data) const {
  const std::optional<std::string> stored = Value(section, key);
  return stored && DecodeProfileStruct(*stored, data);
}

void ProfileDocument::WriteInt(std::string_view section, std::string_view key, int value) {
  SetValue(section, key, std::to_string(value));
}

Status ProfileDocument::WriteText(std::string_view section, std::string_view key, std::string_view value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    return league::Fail("The setting " + std::string(key) + " holds a line break and was not saved.");
  }
  // Reading trims blanks and one pair of enclosing quotes: quote such a text
  // so it reads back exactly as written.
  const bool quote = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                        (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                                         value.back() == value.front()));
  SetValue(section, key, quote ? "\"" + std::string(value) + "\"" : std::string(value));
  return {};
}

void ProfileDocument::WriteStruct(std::string_view section, std::string_view key, std::span<const uint8_t> data) {
  SetValue(section, key, EncodeProfileStruct(data));
}

namespace {

// The file a chain of symbolic links leads to (the path itself when it is none);
// a link may lead to a file that does not exist yet.
std::filesystem::path FollowLinks(std::filesystem::path path) {
  constexpr int kMaxLinks = 40;  // as the system's own lookup allows
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) break;
    const std::filesystem::path target = std::filesystem::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

}  // namespace

ProfileDocument ProfileFile::Load() const {
  Result<ProfileDocument> document = LoadExisting();
  return document ? std::move(document).value() : ProfileDocument();
}

Result<ProfileDocument> ProfileFile::LoadExisting() const {
  std::error_code error;
  if (!std::filesystem::exists(path_, error) && !error) return ProfileDocument();
  Result<std::string> text = base::ReadFileText(path_, kMaxProfileBytes);
  if (!text) return league::Fail("The settings file could not be read: " + text.error());
  return ProfileDocument::Parse(text.value());
}

Status ProfileFile::Store(const ProfileDocument& document) const {
  const std::filesystem::path target = FollowLinks(path_);
  struct stat before {};
  const bool existed = ::stat(target.c_str(), &before) == 0;
  // A file the user made read-only stays as it is, even for a user (root) who
  // could write it anyway; renaming over it would silently undo that.
  if (existed && S_ISREG(before.st_mode) &&
      ((before.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0)) {
    return league::Fail("The settings file " + path_.string() + " is read-only; the settings were not saved");
  }
  if (Status stored = base::ReplaceFile(target, document.Serialize()); !stored) {
    return league::Fail("Unable to write the settings file " + path_.string() + " (" + stored.error() + ")");
  }
  // The new file has the default permissions: give it the ones the old had.
  if (existed) ::chmod(target.c_str(), before.st_mode & 07777);
  return {};
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
  return Load().ReadInt(section, key, defaultValue);
}

bool ProfileFile::ReadText(std::string_view section, std::string_view key, std::string& value,
                           size_t bufferSize) const {
  return Load().ReadText(section, key, value, bufferSize);
}

bool ProfileFile::ReadStruct(std::string_view section, std::string_view key, std::span<uint8_t> data) const {
  return Load().ReadStruct(section, key, data);
}

Status ProfileFile::WriteInt(std::string_view section, std::string_view key, int value) {
  Result<ProfileDocument> document = LoadExisting();
  if (!document) return league::Fail(document.error());
  document.value().WriteInt(section, key, value);
  return Store(document.value());
}

Status ProfileFile::WriteText(std::string_view section, std::string_view key, std::string_view value) {
  Result<ProfileDocument> document = LoadExisting();
  if (!document) return league::Fail(document.error());
  if (Status written = document.value().WriteText(section, key, value); !written) return written;
  return Store(document.value());
}

Status ProfileFile::WriteStruct(std::string_view section, std::string_view key, std::span<const uint8_t> data) {
  Result<ProfileDocument> document = LoadExisting();
  if (!document) return league::Fail(document.error());
  document.value().WriteStruct(section, key, data);
  return Store(document.value());
}

}  // namespace qgu::host

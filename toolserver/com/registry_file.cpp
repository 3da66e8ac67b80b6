#include "toolserver/com/registry_file.h"

#include <cstdlib>
#include <system_error>

#include "base/file_read.h"
#include "league/file_io.h"
#include "league/text_case.h"

namespace qgu::com {
namespace {

namespace fs = std::filesystem;

// A line without the CRs of its line end (CR LF, CR CR LF).
std::string_view Content(std::string_view line) {
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::optional<std::string> SectionName(std::string_view line) {
  line = Content(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return std::string(line.substr(1, line.size() - 2));
}

bool IsBelow(std::string_view key, std::string_view parent) {
  return key.size() > parent.size() && key[parent.size()] == '\\' &&
         league::EqualsIgnoringCase(key.substr(0, parent.size()), parent);
}

// "name=value" -> name, or nothing for other lines.
std::optional<std::string_view> ValueName(std::string_view line) {
  line = Content(line);
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return line.substr(0, equals);
}

}  // namespace

fs::path RegistryFile::DefaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return fs::path(config) / "qgu" / "registry.ini";
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : ".") / ".config" / "qgu" / "registry.ini";
}

Result<RegistryFile> RegistryFile::Load(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return RegistryFile{};
  Result<std::string> text = base::ReadFileText(path, kMaxFileBytes);
  if (!text) return league::Fail("Unable to read the registry file: " + text.error());
  return Parse(text.value());
}

RegistryFile RegistryFile::Parse(std::string_view text) {
  RegistryFile file;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string line(text.substr(start, end - start));
    if (start == 0) file.parsedCarriageReturns_ = line.substr(Content(line).size());
    start = end + 1;
    if (std::optional<std::string> key = SectionName(line)) {
      file.sections_.push_back(Section{*key, {line}});
    } else if (file.sections_.empty()) {
      file.leading_.push_back(line);
    } else {
      file.sections_.back().lines.push_back(line);
    }
  }
  return file;
}

std::string RegistryFile::Serialize() const {
  std::string text;
  for (const std::string& line : leading_) text += line + "\n";
  for (const Section& section : sections_) {
    for (const std::string& line : section.lines) text += line + "\n";
  }
  return text;
}

Status RegistryFile::Save(const fs::path& path) const {
  std::error_code error;
  if (Empty()) {
    fs::remove(path, error);
    if (error) return league::Fail("Unable to remove the registry file " + path.string() + ": " + error.message());
    return {};
  }
  fs::create_directories(path.parent_path(), error);
  if (error) return league::Fail("Unable to create " + path.parent_path().string() + ": " + error.message());
  return league::ReplaceFileContents(path, Serialize());
}

std::string RegistryFile::LineEndCarriageReturns() const {
  const std::string* first = !leading_.empty()    ? &leading_.front()
                             : !sections_.empty() ? &sections_.front().lines.front()
                                                  : nullptr;
  return first == nullptr ? parsedCarriageReturns_ : first->substr(Content(*first).size());
}

RegistryFile::Section* RegistryFile::Find(std::string_view key) {
  for (Section& section : sections_) {
    if (league::EqualsIgnoringCase(section.key, key)) return &section;
  }
  return nullptr;
}

const RegistryFile::Section* RegistryFile::Find(std::string_view key) const {
  return const_cast<RegistryFile*>(this)->Find(key);
}

bool RegistryFile::HasKey(std::string_view key) const { return Find(key) != nullptr; }

std::optional<std::string> RegistryFile::Value(std::string_view key, std::string_view name) const {
  const Section* section = Find(key);
  if (section == nullptr) return std::nullopt;
  for (size_t i = 1; i < section->lines.size(); ++i) {
    const std::string_view line = section->lines[i];
    const std::optional<std::string_view> lineName = ValueName(line);
    if (lineName && league::EqualsIgnoringCase(*lineName, name)) {
      return std::string(Content(line).substr(lineName->size() + 1));
    }
  }
  return std::nullopt;
}

void RegistryFile::CreateKey(std::string_view key) {
  if (Find(key) != nullptr) return;
  sections_.push_back(Section{std::string(key), {"[" + std::string(key) + "]" + LineEndCarriageReturns()}});
}

void RegistryFile::SetValue(std::string_view key, std::string_view name, std::string_view value) {
  CreateKey(key);
  Section& section = *Find(key);
  const std::string line = std::string(name) + "=" + std::string(value);
  for (size_t i = 1; i < section.lines.size(); ++i) {
    std::string& old = section.lines[i];
    const std::optional<std::string_view> lineName = ValueName(old);
    if (lineName && league::EqualsIgnoringCase(*lineName, name)) {
      old = line + old.substr(Content(old).size());
      return;
    }
  }
  section.lines.push_back(line + LineEndCarriageReturns());
}

void RegistryFile::RemoveKey(std::string_view key) {
  std::erase_if(sections_, [&](const Section& section) {
    return league::EqualsIgnoringCase(section.key, key) || IsBelow(section.key, key);
  });
}

std::string ClassesRootKey(std::string_view path) { return std::string(kClassesRoot) + "\\" + std::string(path); }

}  // namespace qgu::com

#include "league/field_splitter.h"

namespace qgu::league {

std::optional<std::string_view> FieldSplitter::NextField() {
  const size_t end = rest_.find(separator_);
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view field = rest_.substr(0, end);
  rest_.remove_prefix(end + 1);
  return field;
}

std::vector<std::string> SplitFields(std::string_view text, char separator) {
  std::vector<std::string> fields;
  FieldSplitter splitter(text, separator);
  while (auto field = splitter.NextField()) fields.emplace_back(*field);
  return fields;
}

}  // namespace qgu::league

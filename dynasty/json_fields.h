#pragma once
// Inside the dynasty library: the members of its JSON files read with a
// default for what is missing or of another type (the readers check what
// matters themselves), and lists of numbers written.

#include <string>
#include <string_view>
#include <vector>

#include "season/json.h"

namespace qgu::dynasty::fields {

namespace json = season::json;

inline int Number(const json::Value& object, std::string_view key, int otherwise = 0) {
  const json::Value* v = object.IsObject() ? object.Find(key) : nullptr;
  return v && v->IsNumber() ? static_cast<int>(v->AsNumber()) : otherwise;
}

inline std::string Text(const json::Value& object, std::string_view key) {
  const json::Value* v = object.IsObject() ? object.Find(key) : nullptr;
  return v && v->IsString() ? v->AsString() : std::string();
}

// The member's array, or nullptr.
inline const json::Value* List(const json::Value& object, std::string_view key) {
  const json::Value* v = object.IsObject() ? object.Find(key) : nullptr;
  return v && v->IsArray() ? v : nullptr;
}

inline std::vector<int> Numbers(const json::Value& object, std::string_view key) {
  std::vector<int> out;
  if (const json::Value* list = List(object, key)) {
    for (const json::Value& item : list->Items()) out.push_back(item.IsNumber() ? static_cast<int>(item.AsNumber()) : 0);
  }
  return out;
}

inline json::Value NumberArray(const std::vector<int>& values) {
  json::Value out = json::Value::Array();
  for (int v : values) out.Push(v);
  return out;
}

}  // namespace qgu::dynasty::fields

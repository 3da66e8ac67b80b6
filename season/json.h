#pragma once
// The little JSON the season files need: a value tree, a reader that says
// where a text goes wrong (line and column), and a writer with stable
// output (object keys in the order they were set).

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"

namespace qgu::season::json {

class Value {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject, kRaw };

  Value() = default;
  Value(bool value) : kind_(Kind::kBool), bool_(value) {}                  // NOLINT
  Value(int64_t value) : kind_(Kind::kNumber), number_(value) {}          // NOLINT
  Value(int value) : Value(static_cast<int64_t>(value)) {}                // NOLINT
  Value(uint32_t value) : Value(static_cast<int64_t>(value)) {}           // NOLINT
  Value(std::string value) : kind_(Kind::kString), string_(std::move(value)) {}  // NOLINT
  Value(const char* value) : Value(std::string(value)) {}                 // NOLINT
  // A number written as this text (fractions, for output only).
  static Value Decimal(double value, int digits);
  static Value Array() { Value v; v.kind_ = Kind::kArray; return v; }
  static Value Object() { Value v; v.kind_ = Kind::kObject; return v; }

  Kind kind() const { return kind_; }
  bool IsNumber() const { return kind_ == Kind::kNumber; }
  bool IsString() const { return kind_ == Kind::kString; }
  bool IsArray() const { return kind_ == Kind::kArray; }
  bool IsObject() const { return kind_ == Kind::kObject; }
  bool IsBool() const { return kind_ == Kind::kBool; }

  bool AsBool() const { return bool_; }
  int64_t AsNumber() const { return number_; }
  const std::string& AsString() const { return string_; }
  const std::vector<Value>& Items() const { return items_; }
  const std::vector<std::pair<std::string, Value>>& Members() const { return members_; }

  // Arrays.
  Value& Push(Value value) { items_.push_back(std::move(value)); return items_.back(); }
  // Objects: replaces a key already set.
  Value& Set(std::string key, Value value);
  const Value* Find(std::string_view key) const;

 private:
  Kind kind_ = Kind::kNull;
  bool bool_ = false;
  int64_t number_ = 0;
  std::string string_;
  std::vector<Value> items_;
  std::vector<std::pair<std::string, Value>> members_;
};

// Whole numbers only (the season files hold no fractions). Errors read
// "line L, column C: problem"; firstLine numbers the text's first line.
base::Result<Value> Parse(std::string_view text, int firstLine = 1);

// One line, no blanks.
std::string Write(const Value& value);
// Indented by two, one member a line; arrays of scalars stay on one line.
std::string WritePretty(const Value& value);

// A JSON string literal of the text (quotes included).
std::string Quote(std::string_view text);

}  // namespace qgu::season::json

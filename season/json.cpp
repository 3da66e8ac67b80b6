#include "season/json.h"

#include <cstdio>

namespace qgu::season::json {
namespace {

constexpr int kMaxDepth = 64;

class CParser {
 public:
  CParser(std::string_view text, int firstLine) : text_(text), line_(firstLine) {}

  base::Result<Value> Document() {
    Value value;
    if (!ParseValue(value, 0)) return base::Fail(error_);
    SkipBlanks();
    if (pos_ != text_.size()) return Problem("text after the end of the value");
    return value;
  }

 private:
  base::Error Problem(const std::string& what) {
    Fail(what);
    return base::Fail(error_);
  }
  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = "line " + std::to_string(line_) + ", column " + std::to_string(Column()) + ": " + what;
    return false;
  }
  int Column() const { return static_cast<int>(pos_ - lineStart_) + 1; }

  void SkipBlanks() {
    while (pos_ < text_.size()) {
      const char ch = text_[pos_];
      if (ch == '\n') {
        ++line_;
        lineStart_ = pos_ + 1;
      } else if (ch != ' ' && ch != '\t' && ch != '\r') {
        return;
      }
      ++pos_;
    }
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return Fail("unknown word");
    pos_ += word.size();
    return true;
  }

  bool ParseValue(Value& out, int depth) {
    if (depth > kMaxDepth) return Fail("nested too deeply");
    SkipBlanks();
    if (pos_ >= text_.size()) return Fail("the text ends where a value should be");
    const char ch = text_[pos_];
    if (ch == '{') return ParseObject(out, depth);
    if (ch == '[') return ParseArray(out, depth);
    if (ch == '"') {
      std::string text;
      if (!ParseString(text)) return false;
      out = Value(std::move(text));
      return true;
    }
    if (ch == 't') return Literal("true") && (out = Value(true), true);
    if (ch == 'f') return Literal("false") && (out = Value(false), true);
    if (ch == 'n') return Literal("null") && (out = Value(), true);
    if (ch == '-' || (ch >= '0' && ch <= '9')) return ParseNumber(out);
    return Fail(std::string("unexpected character '") + ch + "'");
  }

  bool ParseNumber(Value& out) {
    const bool negative = text_[pos_] == '-';
    if (negative) ++pos_;
    uint64_t value = 0;
    size_t digits = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      if (++digits > 18) return Fail("a number too long");
      value = value * 10 + static_cast<uint64_t>(text_[pos_] - '0');
      ++pos_;
    }
    if (digits == 0) return Fail("a '-' without digits");
    if (pos_ < text_.size() && (text_[pos_] == '.' || text_[pos_] == 'e' || text_[pos_] == 'E')) {
      return Fail("a number with a fraction or exponent (only whole numbers here)");
    }
    const auto signedValue = static_cast<int64_t>(value);
    out = Value(negative ? -signedValue : signedValue);
    return true;
  }

  static void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool ParseString(std::string& out) {
    ++pos_;  // the opening quote
    while (true) {
      if (pos_ >= text_.size()) return Fail("a string without its closing quote");
      const auto ch = static_cast<unsigned char>(text_[pos_]);
      if (ch == '"') {
        ++pos_;
        return true;
      }
      if (ch < 0x20) return Fail("a control character inside a string");
      if (ch != '\\') {
        out += static_cast<char>(ch);
        ++pos_;
        continue;
      }
      if (++pos_ >= text_.size()) return Fail("a string without its closing quote");
      const char escape = text_[pos_++];
      switch (escape) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          if (pos_ + 4 > text_.size()) return Fail("a short \\u escape");
          uint32_t code = 0;
          for (int i = 0; i < 4; ++i) {
            const char hex = text_[pos_++];
            code <<= 4;
            if (hex >= '0' && hex <= '9') code |= static_cast<uint32_t>(hex - '0');
            else if (hex >= 'a' && hex <= 'f') code |= static_cast<uint32_t>(hex - 'a' + 10);
            else if (hex >= 'A' && hex <= 'F') code |= static_cast<uint32_t>(hex - 'A' + 10);
            else return Fail("a bad \\u escape");
          }
          AppendUtf8(out, code);
          break;
        }
        default:
          return Fail(std::string("an unknown escape \\") + escape);
      }
    }
  }

  bool ParseArray(Value& out, int depth) {
    ++pos_;
    out = Value::Array();
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == ']') {
      ++pos_;
      return true;
    }
    while (true) {
      Value item;
      if (!ParseValue(item, depth + 1)) return false;
      out.Push(std::move(item));
      SkipBlanks();
      if (pos_ >= text_.size()) return Fail("an array without its closing ']'");
      const char ch = text_[pos_];
      if (ch != ',' && ch != ']') return Fail("',' or ']' expected in an array");
      ++pos_;
      if (ch == ']') return true;
    }
  }

  bool ParseObject(Value& out, int depth) {
    ++pos_;
    out = Value::Object();
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '}') {
      ++pos_;
      return true;
    }
    while (true) {
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != '"') return Fail("a quoted key expected in an object");
      std::string key;
      if (!ParseString(key)) return false;
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != ':') return Fail("':' expected after the key \"" + key + "\"");
      ++pos_;
      Value item;
      if (!ParseValue(item, depth + 1)) return false;
      if (out.Find(key) != nullptr) return Fail("the key \"" + key + "\" twice");
      out.Set(std::move(key), std::move(item));
      SkipBlanks();
      if (pos_ >= text_.size()) return Fail("an object without its closing '}'");
      const char ch = text_[pos_];
      if (ch != ',' && ch != '}') return Fail("',' or '}' expected in an object");
      ++pos_;
      if (ch == '}') return true;
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_;
  size_t lineStart_ = 0;
  std::string error_;
};

bool IsScalar(const Value& value) { return !value.IsArray() && !value.IsObject(); }

void WriteTo(std::string& out, const Value& value, int indent, bool pretty) {
  auto newline = [&](int level) {
    if (!pretty) return;
    out += '\n';
    out.append(static_cast<size_t>(level) * 2, ' ');
  };
  switch (value.kind()) {
    case Value::Kind::kNull: out += "null"; break;
    case Value::Kind::kBool: out += value.AsBool() ? "true" : "false"; break;
    case Value::Kind::kNumber: out += std::to_string(value.AsNumber()); break;
    case Value::Kind::kString: out += Quote(value.AsString()); break;
    case Value::Kind::kRaw: out += value.AsString(); break;
    case Value::Kind::kArray: {
      bool flat = true;
      for (const Value& item : value.Items()) flat = flat && IsScalar(item);
      out += '[';
      bool first = true;
      for (const Value& item : value.Items()) {
        if (!first) out += flat && pretty ? ", " : ",";
        first = false;
        if (!flat) newline(indent + 1);
        WriteTo(out, item, indent + 1, pretty);
      }
      if (!flat && !value.Items().empty()) newline(indent);
      out += ']';
      break;
    }
    case Value::Kind::kObject: {
      out += '{';
      bool first = true;
      for (const auto& [key, item] : value.Members()) {
        if (!first) out += ',';
        first = false;
        newline(indent + 1);
        out += Quote(key);
        out += pretty ? ": " : ":";
        WriteTo(out, item, indent + 1, pretty);
      }
      if (!value.Members().empty()) newline(indent);
      out += '}';
      break;
    }
  }
}

}  // namespace

Value Value::Decimal(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  Value result(std::string{text});
  result.kind_ = Kind::kRaw;
  return result;
}

Value& Value::Set(std::string key, Value value) {
  for (auto& member : members_) {
    if (member.first == key) return member.second = std::move(value);
  }
  members_.emplace_back(std::move(key), std::move(value));
  return members_.back().second;
}

const Value* Value::Find(std::string_view key) const {
  for (const auto& member : members_) {
    if (member.first == key) return &member.second;
  }
  return nullptr;
}

base::Result<Value> Parse(std::string_view text, int firstLine) { return CParser(text, firstLine).Document(); }

std::string Write(const Value& value) {
  std::string out;
  WriteTo(out, value, 0, false);
  return out;
}

std::string WritePretty(const Value& value) {
  std::string out;
  WriteTo(out, value, 0, true);
  out += '\n';
  return out;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '"') out += "\\\"";
    else if (ch == '\\') out += "\\\\";
    else if (ch == '\n') out += "\\n";
    else if (ch == '\r') out += "\\r";
    else if (ch == '\t') out += "\\t";
    else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += ch;
    }
  }
  out += '"';
  return out;
}

}  // namespace qgu::season::json

#include "toolserver/rtf_reader.h"

#include <QColor>
#include <QTextCharFormat>
#include <QTextCursor>
#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qgu::toolserver {
namespace {

// Control word parameters are 16-bit in RTF; anything longer is held here.
constexpr long kLargestNumber = 1'000'000;

// What a rich edit control shows of \fs: 1 to 1638 points.
constexpr int kSmallestHalfPoints = 2;
constexpr int kLargestHalfPoints = 3276;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum class Destination { kText, kFontTable, kColourTable, kSkip };

struct GroupState {
  Destination destination = Destination::kText;
  int font = 0;
  int halfPoints = 24;
  int colour = -1;  // -1: the document's default text colour
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

QString DecodeBytes(const std::string& bytes) {
  const QString utf8 = QString::fromUtf8(bytes);
  if (!utf8.contains(QChar::ReplacementCharacter)) return utf8;
  return QString::fromLatin1(bytes);
}

class RtfParser {
 public:
  RtfParser(QTextDocument& document, std::string_view rtf) : cursor_(&document), rtf_(rtf) {}

  void Parse() {
    while (at_ < rtf_.size()) {
      const char c = rtf_[at_++];
      switch (c) {
        case '{':
          Flush();
          groups_.push_back(Current());
          break;
        case '}':
          Flush();
          EndGroup();
          break;
        case '\\': ControlSymbolOrWord(); break;
        case '\r':
        case '\n': break;
        default: Character(c); break;
      }
    }
    Flush();
  }

 private:
  GroupState& Current() {
    if (groups_.empty()) groups_.emplace_back();
    return groups_.back();
  }

  void EndGroup() {
    if (Current().destination == Destination::kFontTable && !fontName_.empty()) EndFontEntry();
    if (!groups_.empty()) groups_.pop_back();
  }

  void Character(char c) {
    switch (Current().destination) {
      case Destination::kText: pending_ += c; break;
      case Destination::kFontTable:
        if (c == ';') {
          EndFontEntry();
        } else {
          fontName_ += c;
        }
        break;
      case Destination::kColourTable:
        if (c == ';') {
          colours_.push_back(QColor(red_, green_, blue_));
          red_ = green_ = blue_ = 0;
        }
        break;
      case Destination::kSkip: break;
    }
  }

  void EndFontEntry() {
    QString name = QString::fromLatin1(fontName_).trimmed();
    fonts_[fontNumber_] = name;
    fontName_.clear();
  }

  void ControlSymbolOrWord() {
    if (at_ >= rtf_.size()) return;
    const char c = rtf_[at_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++at_;
      if (c == '\'' && at_ + 2 <= rtf_.size()) {
        const int high = HexDigit(rtf_[at_]);
        const int low = HexDigit(rtf_[at_ + 1]);
        at_ += 2;
        if (high >= 0 && low >= 0) Character(static_cast<char>(high * 16 + low));
      } else if (c == '*') {
        Current().destination = Destination::kSkip;
      } else if (c == '\\' || c == '{' || c == '}') {
        Character(c);
      }
      return;
    }
    std::string word;
    while (at_ < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[at_]))) word += rtf_[at_++];
    std::optional<int> number;
    const size_t numberStart = at_;
    const bool negative = at_ < rtf_.size() && rtf_[at_] == '-';
    if (negative) ++at_;
    long value = 0;
    const size_t digitsStart = at_;
    while (at_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[at_]))) {
      value = std::min<long>(value * 10 + (rtf_[at_++] - '0'), kLargestNumber);
    }
    if (at_ > digitsStart) {
      number = static_cast<int>(negative ? -value : value);
    } else {
      at_ = numberStart;
    }
    if (at_ < rtf_.size() && rtf_[at_] == ' ') ++at_;
    ControlWord(word, number);
  }

  void ControlWord(const std::string& word, std::optional<int> number) {
    GroupState& state = Current();
    const bool on = !number || *number != 0;
    if (word == "fonttbl") {
      state.destination = Destination::kFontTable;
    } else if (word == "colortbl") {
      state.destination = Destination::kColourTable;
    } else if (state.destination == Destination::kColourTable) {
      if (word == "red") red_ = number.value_or(0);
      if (word == "green") green_ = number.value_or(0);
      if (word == "blue") blue_ = number.value_or(0);
    } else if (state.destination == Destination::kFontTable) {
      if (word == "f") fontNumber_ = number.value_or(0);
    } else if (state.destination == Destination::kText) {
      TextControlWord(state, word, number, on);
    }
  }

  void TextControlWord(GroupState& state, const std::string& word, std::optional<int> number, bool on) {
    if (word == "par") {
      Flush();
      cursor_.insertBlock();
      return;
    }
    Flush();
    if (word == "plain") {
      const GroupState plain;
      state.font = plain.font;
      state.halfPoints = plain.halfPoints;
      state.colour = plain.colour;
      state.bold = state.italic = state.underline = state.strikeOut = false;
    } else if (word == "b") {
      state.bold = on;
    } else if (word == "i") {
      state.italic = on;
    } else if (word == "ul") {
      state.underline = on;
    } else if (word == "ulnone") {
      state.underline = false;
    } else if (word == "strike") {
      state.strikeOut = on;
    } else if (word == "f") {
      state.font = number.value_or(0);
    } else if (word == "fs") {
      state.halfPoints = number.value_or(24);
    } else if (word == "cf") {
      state.colour = number.value_or(-1);
    }
  }

  void Flush() {
    if (pending_.empty()) return;
    const GroupState& state = Current();
    QTextCharFormat format;
    if (const auto font = fonts_.find(state.font); font != fonts_.end()) format.setFontFamilies({font->second});
    format.setFontPointSize(std::clamp(state.halfPoints, kSmallestHalfPoints, kLargestHalfPoints) / 2.0);
    format.setFontWeight(state.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(state.italic);
    format.setFontUnderline(state.underline);
    format.setFontStrikeOut(state.strikeOut);
    if (state.colour >= 0 && static_cast<size_t>(state.colour) < colours_.size()) {
      format.setForeground(colours_[static_cast<size_t>(state.colour)]);
    }
    cursor_.insertText(DecodeBytes(pending_), format);
    pending_.clear();
  }

  QTextCursor cursor_;
  std::string_view rtf_;
  size_t at_ = 0;
  std::vector<GroupState> groups_;
  std::map<int, QString> fonts_;
  int fontNumber_ = 0;
  std::string fontName_;
  std::vector<QColor> colours_;
  int red_ = 0, green_ = 0, blue_ = 0;
  std::string pending_;
};

}  // namespace

void ReadRtfInto(QTextDocument& document, std::string_view rtf) {
  document.clear();
  RtfParser(document, rtf).Parse();
}

}  // namespace qgu::toolserver

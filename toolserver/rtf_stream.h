#pragma once
// RtfStream: a small rich-text writer. Text is appended in runs, each with
// the font, size, colours and style flags current when it was appended; the
// document is the RTF header, the font and colour tables and the runs.
//
// Colours are Windows colour values (0x00BBGGRR). The font list starts with
// "Arial" (font 0), the colour list with black, red, green and blue (0..3).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qgu::toolserver {

class RtfStream {
 public:
  static constexpr int kDefaultSize = 35;  // in half points

  RtfStream();

  // Adds the face (or colour) when new and makes it current.
  void SetFace(std::string_view face);
  void SetColour(uint32_t colour);
  void SetSize(int halfPoints) { size_ = halfPoints; }
  void SetBold(bool on) { bold_ = on; }
  void SetItalic(bool on) { italic_ = on; }
  void SetUnderline(bool on) { underline_ = on; }
  void SetStrikeOut(bool on) { strikeOut_ = on; }
  void ClearStyles();

  // One run; every LF becomes CR LF "\par ". The RTF specials \ { } are
  // escaped so that a team name can never break the document.
  void Append(std::string_view text);

  // The whole document.
  std::string Document() const;
  // The document, after which the runs are emptied for the next control
  // (the font and colour lists and the current settings stay).
  std::string TakeDocument();

 private:
  std::vector<std::string> fonts_;
  std::vector<uint32_t> colours_;
  int font_ = 0;
  int size_ = kDefaultSize;
  int textColour_ = 0;
  int backgroundColour_ = 0;
  bool bold_ = false;
  bool italic_ = false;
  bool underline_ = false;
  bool strikeOut_ = false;
  std::string runs_;
};

}  // namespace qgu::toolserver

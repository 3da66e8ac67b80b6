#include "toolserver/rtf_stream.h"

#include <algorithm>

namespace qgu::toolserver {

RtfStream::RtfStream() : fonts_{"Arial"}, colours_{0x000000, 0x0000FF, 0x00FF00, 0xFF0000} {}

void RtfStream::SetFace(std::string_view face) {
  auto found = std::find(fonts_.begin(), fonts_.end(), face);
  if (found == fonts_.end()) found = fonts_.insert(fonts_.end(), std::string(face));
  font_ = static_cast<int>(found - fonts_.begin());
}

void RtfStream::SetColour(uint32_t colour) {
  auto found = std::find(colours_.begin(), colours_.end(), colour);
  if (found == colours_.end()) found = colours_.insert(colours_.end(), colour);
  textColour_ = static_cast<int>(found - colours_.begin());
}

void RtfStream::ClearStyles() { bold_ = italic_ = underline_ = strikeOut_ = false; }

void RtfStream::Append(std::string_view text) {
  runs_ += "\\plain";
  if (bold_) runs_ += "\\b";
  if (underline_) runs_ += "\\ul";
  if (italic_) runs_ += "\\i";
  if (strikeOut_) runs_ += "\\strike";
  runs_ += "\\f" + std::to_string(font_) + "\\fs" + std::to_string(size_) + "\\cb" +
           std::to_string(backgroundColour_) + "\\cf" + std::to_string(textColour_) + " ";
  for (const char c : text) {
    if (c == '\n') {
      runs_ += "\r\n\\par ";
    } else {
      if (c == '\\' || c == '{' || c == '}') runs_ += '\\';
      runs_ += c;
    }
  }
}

std::string RtfStream::Document() const {
  std::string document = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl";
  for (size_t f = 0; f < fonts_.size(); ++f) document += "{\\f" + std::to_string(f) + " " + fonts_[f] + ";}";
  document += "}{\\colortbl";
  for (const uint32_t colour : colours_) {
    document += "\\red" + std::to_string(colour & 0xFF) + "\\green" + std::to_string(colour >> 8 & 0xFF) + "\\blue" +
                std::to_string(colour >> 16 & 0xFF) + ";";
  }
  document += "}" + runs_ + "}";
  return document;
}

std::string RtfStream::TakeDocument() {
  std::string document = Document();
  runs_.clear();
  return document;
}

}  // namespace qgu::toolserver

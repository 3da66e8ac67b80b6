#include "cartridge/program/tools/chr_compiler.h"

#include <fstream>
#include <sstream>

namespace qgu::cartridge {

namespace {

std::optional<size_t> ParseNumber(const std::string& text) {
  try {
    size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 0);
    if (used != text.size()) return std::nullopt;
    return value;
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

ChrCompiler::ChrCompiler() : chr_(kChrBytes, 0), used_(kChrBytes / kTileBytes, false) {}

bool ChrCompiler::Fail(const std::string& message) {
  error_ = message;
  return false;
}

bool ChrCompiler::Compile(const std::string& text, const std::string& name) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!CompileLine(line, name + ":" + std::to_string(number))) return false;
  }
  if (pending_) {
    return Fail(pending_->where + ": sheet ends early (" + std::to_string(pending_->rows.size()) + " rows)");
  }
  return true;
}

bool ChrCompiler::CompileFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) return Fail(path + ": cannot open");
  std::stringstream text;
  text << in.rdbuf();
  return Compile(text.str(), path);
}

bool ChrCompiler::CompileLine(const std::string& line, const std::string& where) {
  if (line.empty() || line[0] == ';') return true;
  if (line[0] == '@') {
    if (pending_) return Fail(where + ": directive inside a sheet");
    return Directive(line, where);
  }
  std::string row;
  for (char c : line) {
    if (c != ' ' && c != '\t') row += c;
  }
  if (row.empty()) return true;
  if (!pending_) return Fail(where + ": pixel row outside a sheet");
  const size_t wantWidth = static_cast<size_t>(pending_->width) * 8;
  if (row.size() != wantWidth) {
    return Fail(where + ": row has " + std::to_string(row.size()) + " pixels, expected " + std::to_string(wantWidth));
  }
  for (char c : row) {
    if (!colours_.count(c)) return Fail(where + ": pixel '" + std::string(1, c) + "' has no @map colour");
  }
  pending_->rows.push_back(row);
  if (pending_->rows.size() == static_cast<size_t>(pending_->height) * 8) return EmitSheet();
  return true;
}

bool ChrCompiler::Directive(const std::string& line, const std::string& where) {
  std::istringstream words(line);
  std::string name;
  words >> name;
  if (name == "@tile") {
    std::string value;
    words >> value;
    const auto tile = ParseNumber(value);
    if (!tile || *tile >= used_.size()) return Fail(where + ": bad tile number '" + value + "'");
    nextTile_ = *tile;
    return true;
  }
  if (name == "@map") {
    std::string c;
    int value = -1;
    bool any = false;
    while (words >> c >> value) {
      if (c.size() != 1 || value < 0 || value > 3) return Fail(where + ": bad @map pair");
      colours_[c[0]] = value;
      any = true;
    }
    if (!any) return Fail(where + ": @map needs character/colour pairs");
    return true;
  }
  if (name == "@shadow") {
    std::string first;
    words >> first;
    if (first == "off") {
      shadow_ = Shadow{};
      return true;
    }
    Shadow s;
    s.ink = std::atoi(first.c_str());
    words >> s.paper >> s.shade;
    if (!words || s.ink < 0 || s.ink > 3 || s.paper < 0 || s.paper > 3 || s.shade < 0 || s.shade > 3) {
      return Fail(where + ": @shadow needs INK PAPER SHADE (0..3) or off");
    }
    shadow_ = s;
    return true;
  }
  if (name == "@sheet" || name == "@tall") {
    Pending p;
    p.tall = name == "@tall";
    words >> p.width;
    if (p.tall) {
      p.height = 2;
    } else {
      words >> p.height;
    }
    if (!words || p.width <= 0 || p.height <= 0) return Fail(where + ": bad sheet size");
    p.where = where;
    pending_ = p;
    return true;
  }
  return Fail(where + ": unknown directive " + name);
}

// Pixel grid of the sheet as colours, with the shadow rule applied. The
// shadow falls anywhere inside the sheet, so art spanning several tiles is
// shaded as one picture.
std::vector<std::vector<int>> ChrCompiler::Colours(const Pending& p) const {
  std::vector<std::vector<int>> grid;
  for (const auto& row : p.rows) {
    std::vector<int> line;
    for (char c : row) line.push_back(colours_.at(c));
    grid.push_back(line);
  }
  if (shadow_.ink < 0) return grid;
  auto shaded = grid;
  for (size_t y = 0; y + 1 < grid.size(); ++y) {
    for (size_t x = 0; x + 1 < grid[y].size(); ++x) {
      if (grid[y][x] == shadow_.ink && grid[y + 1][x + 1] == shadow_.paper) shaded[y + 1][x + 1] = shadow_.shade;
    }
  }
  return shaded;
}

bool ChrCompiler::EmitTile(const std::vector<std::vector<int>>& grid, size_t left, size_t top,
                           const std::string& where) {
  if (nextTile_ >= used_.size()) return Fail(where + ": sheet runs past the end of the character ROM");
  if (used_[nextTile_]) return Fail(where + ": tile " + std::to_string(nextTile_) + " is drawn twice");
  used_[nextTile_] = true;
  uint8_t* tile = &chr_[nextTile_ * kTileBytes];
  for (size_t y = 0; y < 8; ++y) {
    uint8_t low = 0;
    uint8_t high = 0;
    for (size_t x = 0; x < 8; ++x) {
      const int c = grid[top + y][left + x];
      low = static_cast<uint8_t>((low << 1) | (c & 1));
      high = static_cast<uint8_t>((high << 1) | ((c >> 1) & 1));
    }
    tile[y] = low;
    tile[y + 8] = high;
  }
  ++nextTile_;
  return true;
}

bool ChrCompiler::EmitSheet() {
  const Pending p = *pending_;
  pending_.reset();
  const auto grid = Colours(p);
  if (p.tall) {
    for (int tx = 0; tx < p.width; ++tx) {
      if (!EmitTile(grid, tx * 8, 0, p.where) || !EmitTile(grid, tx * 8, 8, p.where)) return false;
    }
    return true;
  }
  for (int ty = 0; ty < p.height; ++ty) {
    for (int tx = 0; tx < p.width; ++tx) {
      if (!EmitTile(grid, tx * 8, ty * 8, p.where)) return false;
    }
  }
  return true;
}

}  // namespace qgu::cartridge

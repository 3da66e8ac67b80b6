#pragma once
// The cartridge's character ROM from ASCII pixel art: 16 banks of 8 KB, two
// bits per pixel in the console's planar tile format.
//
// Source format, one directive or pixel row per line (';' starts a comment
// line; blanks and tabs inside pixel rows are ignored):
//   @tile N            next sheet starts at absolute tile N (16 bytes per tile)
//   @map C V ...       pixel character C has colour V (0..3); pairs repeat
//   @shadow I P S      paper pixels (P) right-below an ink pixel (I) of the
//                      same sheet become S; "@shadow off" stops it
//   @sheet W H         the next H*8 rows of W*8 pixels hold W x H tiles, row by row
//   @tall W            the next 16 rows hold W tall (8x16) sprites: each is a
//                      top tile followed by its bottom tile
// Errors name the source and line.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qgu::cartridge {

class ChrCompiler {
 public:
  static constexpr size_t kChrBytes = 16 * 8192;
  static constexpr size_t kTileBytes = 16;

  ChrCompiler();

  // Compiles one source; `name` is used in error texts. False on the first error.
  bool Compile(const std::string& text, const std::string& name);
  bool CompileFile(const std::string& path);

  const std::vector<uint8_t>& Rom() const { return chr_; }
  const std::string& Error() const { return error_; }

 private:
  struct Shadow {
    int ink = -1;
    int paper = -1;
    int shade = -1;
  };
  struct Pending {
    bool tall = false;
    int width = 0;   // tiles (or tall sprites) across
    int height = 0;  // tile rows
    std::vector<std::string> rows;
    std::string where;
  };

  bool Fail(const std::string& message);
  bool CompileLine(const std::string& line, const std::string& where);
  bool Directive(const std::string& line, const std::string& where);
  std::vector<std::vector<int>> Colours(const Pending& p) const;
  bool EmitTile(const std::vector<std::vector<int>>& grid, size_t left, size_t top, const std::string& where);
  bool EmitSheet();

  std::vector<uint8_t> chr_;
  std::vector<bool> used_;
  std::map<char, int> colours_;
  Shadow shadow_;
  size_t nextTile_ = 0;
  std::optional<Pending> pending_;
  std::string error_;
};

}  // namespace qgu::cartridge

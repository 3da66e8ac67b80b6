#pragma once
// The main menu's button pictures, drawn by the program: 352 the button
// plate, 353 the same plate lit, 354 the "E x i t" plate, 355 the "B a c k"
// plate, 357 the music switch. Magenta (0xFF00FF) around them is the key colour.

namespace qgu::toolserver {

enum MenuPicture : int {
  kPlatePicture = 352,
  kLitPlatePicture = 353,
  kExitPlatePicture = 354,
  kBackPlatePicture = 355,
  kMusicPicture = 357,
};

// Registers the five drawings with the picture table (once).
void RegisterMenuPictures();

}  // namespace qgu::toolserver

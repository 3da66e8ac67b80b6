#include "frontend/picture_button/picture_resources.h"

#include <map>
#include <utility>

namespace qgu::toolserver {
namespace {

struct PictureEntry {
  PictureDrawing drawing;
  QImage drawn;
};

std::map<int, PictureEntry>& Pictures() {
  static std::map<int, PictureEntry> pictures;
  return pictures;
}

}  // namespace

void RegisterPicture(int id, PictureDrawing drawing) { Pictures()[id] = PictureEntry{std::move(drawing), {}}; }

QImage PictureById(int id) {
  const auto found = Pictures().find(id);
  if (found == Pictures().end()) return {};
  PictureEntry& entry = found->second;
  if (entry.drawn.isNull() && entry.drawing) entry.drawn = entry.drawing();
  return entry.drawn;
}

}  // namespace qgu::toolserver

#include "files/picture_drawing.h"

#include "base/wording.h"

namespace {

PictureDrawer chosenDrawer = nullptr;

}  // namespace

void usePictureDrawer(PictureDrawer drawer) { chosenDrawer = drawer; }

Status drawPicture(std::string_view svg, const DrawingSettings& settings,
                   FileHandle file) {
  if (chosenDrawer == nullptr || !picturesAvailable()) {
    return Status::error(Text(wording::PicturesUnavailable));
  }
  return chosenDrawer(svg, settings, file);
}

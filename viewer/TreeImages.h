// The image list of the result tree: one small picture per image index a node can name.
#pragma once
#include <windows.h>

#include "platform/UiHandles.h"

namespace kw {

ImageList makeTreeImages(int size);

} // namespace kw

// The image list of the result tree: one small picture per image index a node can name.
#pragma once
#include <windows.h>

#include <commctrl.h>

namespace kw {

HIMAGELIST makeTreeImages(int size);

} // namespace kw

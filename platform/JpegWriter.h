// JPEG encoding of screen pictures through libjpeg(-turbo)'s compressor.
#pragma once
#include <optional>
#include <string>

#include "platform/ScreenCapture.h"

namespace kw {

// The picture as the bytes of a JPEG file in full colour (three components, YCbCr) at quality 1 to 100;
// nothing, with the encoder's message, when it refuses the picture.
std::optional<std::string> encodeJpeg(const ScreenImage& image, int quality, std::string& error);

} // namespace kw

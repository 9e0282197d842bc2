// Reading back the JPEG files the program writes, through the same libjpeg it encodes them with.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kw::test {

struct DecodedJpeg {
    int width = 0, height = 0, components = 0;
    std::vector<std::uint8_t> rgb; // rows from the top, red, green and blue of every pixel
};

// Nothing when the bytes are not a whole JPEG file.
std::optional<DecodedJpeg> decodeJpeg(const std::string& bytes);

} // namespace kw::test

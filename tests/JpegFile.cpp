#include "tests/JpegFile.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace kw::test {
namespace {

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->back, 1);
}
void keepQuiet(j_common_ptr) {}

struct Decompression {
    jpeg_decompress_struct info{};
    ErrorJump jump{};
};

// Corrupt data is a warning to libjpeg, which would go on with grey blocks: here it is a failure.
void warningFails(j_common_ptr info, int level) {
    if (level < 0)
        jumpBack(info);
}

bool decompress(Decompression& d, const std::string& bytes, DecodedJpeg& out) {
    d.info.err = jpeg_std_error(&d.jump.manager);
    d.jump.manager.error_exit = jumpBack;
    d.jump.manager.output_message = keepQuiet;
    d.jump.manager.emit_message = warningFails;
    if (setjmp(d.jump.back))
        return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d.info, TRUE);
    out.components = d.info.num_components;
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    out.width = static_cast<int>(d.info.output_width);
    out.height = static_cast<int>(d.info.output_height);
    out.rgb.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 3);
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row =
            out.rgb.data() + static_cast<size_t>(d.info.output_scanline) * static_cast<size_t>(out.width) * 3;
        jpeg_read_scanlines(&d.info, &row, 1);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

std::optional<DecodedJpeg> decodeJpeg(const std::string& bytes) {
    Decompression d;
    DecodedJpeg out;
    bool done = decompress(d, bytes, out);
    jpeg_destroy_decompress(&d.info);
    if (!done)
        return std::nullopt;
    return out;
}

} // namespace kw::test

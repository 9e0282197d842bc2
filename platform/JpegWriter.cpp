// libjpeg's compressor into memory. Its default error handler ends the process; this one jumps back
// with the message instead, and nothing it reports goes to stderr.
#include "platform/JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace kw {
namespace {

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's colour-space extensions are needed to take GDI's pixel order as it is"
#endif

struct ErrorJump {
    jpeg_error_mgr manager; // first: libjpeg hands back a pointer to it
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    auto* jump = reinterpret_cast<ErrorJump*>(info->err);
    jump->manager.format_message(info, jump->message);
    std::longjmp(jump->back, 1);
}

void keepQuiet(j_common_ptr) {}

// Everything that must survive a jump back lives here, outside the frame that calls setjmp, and holds no
// C++ object whose destructor a jump would skip.
struct Compression {
    jpeg_compress_struct info{};
    ErrorJump jump{};
    unsigned char* out = nullptr;
    unsigned long size = 0;
};

bool compress(Compression& c, const ScreenImage& image, int quality) {
    c.info.err = jpeg_std_error(&c.jump.manager);
    c.jump.manager.error_exit = jumpBack;
    c.jump.manager.output_message = keepQuiet;
    if (setjmp(c.jump.back))
        return false;
    jpeg_create_compress(&c.info);
    jpeg_mem_dest(&c.info, &c.out, &c.size);
    c.info.image_width = static_cast<JDIMENSION>(image.width);
    c.info.image_height = static_cast<JDIMENSION>(image.height);
    c.info.input_components = 4;
    c.info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    while (c.info.next_scanline < c.info.image_height) {
        auto* row = const_cast<JSAMPLE*>(image.pixels.data() + c.info.next_scanline * stride);
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

} // namespace

std::optional<std::string> encodeJpeg(const ScreenImage& image, int quality, std::string& error) {
    if (image.width < 0 || image.height < 0 ||
        image.pixels.size() <
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
        error = "Точек изображения меньше, чем требуют его размеры";
        return std::nullopt;
    }
    Compression c;
    bool done = compress(c, image, quality);
    std::optional<std::string> bytes;
    if (done)
        bytes.emplace(reinterpret_cast<const char*>(c.out), c.size);
    else
        error = c.jump.message;
    jpeg_destroy_compress(&c.info);
    std::free(c.out);
    return bytes;
}

} // namespace kw

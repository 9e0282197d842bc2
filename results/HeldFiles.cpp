#include "results/HeldFiles.h"

#include <algorithm>
#include <memory>

namespace kw {
namespace {

constexpr std::size_t kPiece = 1 << 20;

std::string megabytes(std::int64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " МБ";
}

// Fills `piece` as far as the file goes; false when a read fails.
bool readPiece(FileReader& in, std::string& piece, std::size_t& got) {
    got = 0;
    while (got < piece.size()) {
        std::int64_t n = in.read(piece.data() + got, piece.size() - got);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::string> readFirstBytes(FileSystem& files, const std::string& path, std::int64_t limit) {
    FileError error;
    std::unique_ptr<FileReader> in = files.openRead(path, error);
    if (!in)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(std::clamp<std::int64_t>(in->size(), 0, limit)), '\0');
    std::size_t got = 0;
    if (!readPiece(*in, bytes, got))
        return std::nullopt;
    bytes.resize(got);
    // A file that grew since its size was taken is read on, up to the limit.
    for (char more[16384]; static_cast<std::int64_t>(bytes.size()) < limit;) {
        std::int64_t n = in->read(more, static_cast<std::size_t>(std::min<std::int64_t>(
                                            sizeof more, limit - std::int64_t(bytes.size()))));
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(more, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::string notShownText(std::int64_t shown, std::int64_t size) {
    return "[Файл слишком велик, чтобы показать его целиком: показано начало, " + megabytes(shown) + " из " +
           megabytes(size) + "]";
}

std::optional<bool> sameBytes(FileSystem& files, const std::string& a, const std::string& b) {
    FileError error;
    std::unique_ptr<FileReader> one = files.openRead(a, error), two = files.openRead(b, error);
    if (!one || !two)
        return std::nullopt;
    std::string x(kPiece, '\0'), y(kPiece, '\0');
    for (;;) {
        std::size_t gotX = 0, gotY = 0;
        if (!readPiece(*one, x, gotX) || !readPiece(*two, y, gotY))
            return std::nullopt;
        if (gotX != gotY || x.compare(0, gotX, y, 0, gotY) != 0)
            return false;
        if (gotX < kPiece)
            return true;
    }
}

} // namespace kw

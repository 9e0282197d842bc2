#include "tests/faults/CabinetMutations.h"

#include <random>
#include <set>

namespace kw::test {
namespace {

std::uint32_t get(const std::string& b, std::size_t at, int width) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}
void put(std::string& b, std::size_t at, int width, std::uint32_t v) {
    for (int i = 0; i < width; ++i, v >>= 8)
        b[at + i] = static_cast<char>(v & 0xFF);
}

// Where the parts of a sound cabinet lie (one written by the program: no reserve, no neighbours).
struct Layout {
    std::size_t filesAt = 0;
    std::vector<std::size_t> folders, files, nameEnds, blocks;
};

Layout layoutOf(const std::string& cab) {
    Layout l;
    unsigned folderCount = get(cab, 26, 2), fileCount = get(cab, 28, 2);
    for (unsigned i = 0; i < folderCount; ++i) {
        std::size_t entry = 36 + 8 * i;
        l.folders.push_back(entry);
        std::size_t at = get(cab, entry, 4);
        for (unsigned b = 0, n = get(cab, entry + 4, 2); b < n; ++b) {
            l.blocks.push_back(at);
            at += 8 + get(cab, at + 4, 2);
        }
    }
    l.filesAt = get(cab, 16, 4);
    std::size_t at = l.filesAt;
    for (unsigned i = 0; i < fileCount; ++i) {
        l.files.push_back(at);
        at = cab.find('\0', at + 16) + 1;
        l.nameEnds.push_back(at);
    }
    return l;
}

// Replaces `count` bytes at `at` and moves the offsets of everything behind them.
std::string splice(const std::string& cab, const Layout& l, std::size_t at, std::size_t count,
                   const std::string& with) {
    std::string out = cab.substr(0, at) + with + cab.substr(at + count);
    auto delta = static_cast<std::int64_t>(with.size()) - static_cast<std::int64_t>(count);
    put(out, 8, 4, static_cast<std::uint32_t>(get(out, 8, 4) + delta));
    if (l.filesAt >= at + count)
        put(out, 16, 4, static_cast<std::uint32_t>(get(out, 16, 4) + delta));
    for (std::size_t folder : l.folders) {
        std::size_t moved = folder >= at + count ? folder + delta : folder; // the entry itself may move
        if (get(cab, folder, 4) >= at + count)
            put(out, moved, 4, static_cast<std::uint32_t>(get(cab, folder, 4) + delta));
    }
    return out;
}

class Variants {
  public:
    explicit Variants(const std::string& cab) : cab_(cab), l_(layoutOf(cab)) {}
    std::vector<CabinetVariant> out;

    void add(std::string name, std::string bytes) { out.push_back({std::move(name), std::move(bytes)}); }
    void field(const std::string& what, std::size_t at, int width, std::uint32_t value) {
        std::string b = cab_;
        put(b, at, width, value);
        add(what + "=" + std::to_string(value), b);
    }

    void truncations() {
        std::set<std::size_t> cuts = {0,  1,  4,  8,  12, 16, 20, 24,
                                      25, 26, 28, 30, 32, 34, 36, cab_.size() - 1};
        for (std::size_t f : l_.folders)
            cuts.insert({f, f + 4, f + 6, f + 8});
        for (std::size_t i = 0; i < l_.files.size(); ++i)
            cuts.insert({l_.files[i], l_.files[i] + 4, l_.files[i] + 8, l_.files[i] + 10, l_.files[i] + 16,
                         l_.nameEnds[i] - 1, l_.nameEnds[i]});
        for (std::size_t b : l_.blocks)
            cuts.insert({b, b + 4, b + 8, b + 8 + get(cab_, b + 4, 2) / 2});
        for (std::size_t c : cuts)
            if (c < cab_.size())
                add("cut at " + std::to_string(c), cab_.substr(0, c));
    }

    void bitFlips() {
        std::size_t tablesEnd = l_.nameEnds.back();
        for (std::size_t at = 0; at < tablesEnd; ++at)
            for (int bit : {0, 7}) {
                std::string b = cab_;
                b[at] = static_cast<char>(b[at] ^ (1 << bit));
                add("bit " + std::to_string(bit) + " of byte " + std::to_string(at), b);
            }
        for (std::size_t block : l_.blocks) {
            // Packed data changed in transit: the checksum must catch it before the decoder meets it.
            std::string b = cab_;
            std::size_t middle = block + 8 + get(cab_, block + 4, 2) / 2;
            b[middle] = static_cast<char>(b[middle] ^ 0x5A);
            add("packed data byte " + std::to_string(middle), b);
        }
        for (std::size_t block : l_.blocks)
            for (std::size_t at = block; at < block + 8; ++at) {
                std::string b = cab_;
                b[at] = static_cast<char>(b[at] ^ 0x80);
                add("block header byte " + std::to_string(at), b);
            }
    }

    void outOfRange() {
        const std::uint32_t size = static_cast<std::uint32_t>(cab_.size());
        for (std::uint32_t v : {0u, 35u, size + 1, 0xFFFFFFFFu})
            field("cbCabinet", 8, 4, v);
        for (std::uint32_t v : {0u, 36u, size, size - 1, 0x7FFFFFFFu, 0xFFFFFFFFu})
            field("coffFiles", 16, 4, v);
        for (std::uint32_t v : {0u, 2u, 0xFFFFu})
            field("cFolders", 26, 2, v); // 0 with files naming folder 0: the package that once crashed
        for (std::uint32_t v : {0u, 1u, 0xFFFFu})
            field("cFiles", 28, 2, v);
        for (std::uint32_t v : {1u, 2u, 3u, 4u, 0xFFFFu})
            field("flags", 30, 2, v);
        field("version", 24, 2, 0x0203);
        std::size_t folder = l_.folders[0], file = l_.files.back(), block = l_.blocks[0];
        for (std::uint32_t v : {0u, 36u, size - 1, size, 0xFFFFFFFFu})
            field("coffCabStart", folder, 4, v);
        for (std::uint32_t v : {0u, 0xFFFFu})
            field("cCFData", folder + 4, 2, v);
        for (std::uint32_t v : {0x0Fu, 0x1503u, 0xFFFFu})
            field("typeCompress", folder + 6, 2, v);
        for (std::uint32_t v : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
            field("cbFile", file, 4, v);
        for (std::uint32_t v : {0x7FFFFFFFu, 0xFFFFFFFFu})
            field("uoffFolderStart", file + 4, 4, v);
        for (std::uint32_t v : {1u, 0xFFFDu, 0xFFFEu, 0xFFFFu})
            field("iFolder", file + 8, 2, v);
        for (std::uint32_t v : {0u, 0xFFFFu})
            field("cbData", block + 4, 2, v);
        for (std::uint32_t v : {0u, 0x8001u, 0xFFFFu})
            field("cbUncomp", block + 6, 2, v);
    }

    void names() {
        std::size_t nameAt = l_.files[0] + 16, nameLength = l_.nameEnds[0] - 1 - nameAt;
        add("empty name", splice(cab_, l_, nameAt, nameLength, ""));
        add("name of 300 characters", splice(cab_, l_, nameAt, nameLength, std::string(300, 'n')));
        add("name without its end", splice(cab_, l_, nameAt, nameLength + 1, std::string(400, 'n')));
        add("name with separators", splice(cab_, l_, nameAt, nameLength, "..\\..\\outside.txt"));
        std::string first = cab_.substr(nameAt, nameLength);
        std::size_t second = l_.files[1] + 16;
        add("repeated name", splice(cab_, l_, second, l_.nameEnds[1] - 1 - second, first));
        // One of a set: the neighbours' names after the header, as the next and the previous cabinet.
        for (std::uint32_t flags : {1u, 2u, 3u}) {
            std::string names = flags & 1 ? std::string("prev.cab\0disk0\0", 15) : std::string();
            if (flags & 2)
                names += std::string("next.cab\0disk2\0", 15);
            std::string b = splice(cab_, l_, 36, 0, names);
            put(b, 30, 2, flags);
            add("one of a set, flags " + std::to_string(flags), b);
        }
    }

    void random(int count, std::uint32_t seed) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<std::size_t> anywhere(0, cab_.size() - 1);
        std::uniform_int_distribution<int> byte(0, 255), changes(1, 8);
        for (int i = 0; i < count; ++i) {
            std::string b = cab_;
            for (int n = changes(rng); n > 0; --n)
                b[anywhere(rng)] = static_cast<char>(byte(rng));
            add("random " + std::to_string(seed) + "/" + std::to_string(i), b);
        }
    }

  private:
    std::string cab_;
    Layout l_;
};

} // namespace

std::vector<CabinetVariant> cabinetVariants(const std::string& cabinet, int randomCount, std::uint32_t seed) {
    Variants v(cabinet);
    v.truncations();
    v.bitFlips();
    v.outOfRange();
    v.names();
    v.random(randomCount, seed);
    return std::move(v.out);
}

} // namespace kw::test

// Reads VS_FIXEDFILEINFO the way the version functions find it: the resource directory through the
// section table, type RT_VERSION (16), name 1, its only language. Every offset is checked against the
// bytes held; whatever a damaged or unusual file would leave to the loader's own rules (several
// languages, unsorted entries, data outside the resource section, a resource inside the headers) is
// answered Unknown, so that the caller asks the version functions themselves. A 16-bit file (NE) is
// read through its resource table the same way.
#include "platform/PeVersion.h"

#include <algorithm>
#include <cstring>

namespace kw {
namespace {

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kHighBit = 0x80000000;

// Little-endian reads, each one checked against the bytes held.
struct Bytes {
    std::string_view b;
    bool has(std::uint64_t at, std::uint64_t n) const { return at <= b.size() && n <= b.size() - at; }
    std::uint16_t u16(std::uint64_t at) const {
        auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
        return static_cast<std::uint16_t>(p[0] | p[1] << 8);
    }
    std::uint32_t u32(std::uint64_t at) const {
        auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
        return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    }
};

enum class Lookup { Hit, Miss, Bad };

// The entry with the given number in the resource directory at dir. The loader searches the numbered
// entries by halving, which finds what a scan finds only when they ascend: otherwise Bad.
Lookup findEntry(const Bytes& w, std::uint64_t dir, std::uint32_t id, std::uint32_t& target) {
    if (!w.has(dir, 16))
        return Lookup::Bad;
    std::uint64_t named = w.u16(dir + 12), ids = w.u16(dir + 14);
    std::uint64_t first = dir + 16 + named * 8;
    if (!w.has(first, ids * 8))
        return Lookup::Bad;
    Lookup result = Lookup::Miss;
    std::int64_t previous = -1;
    for (std::uint64_t i = 0; i < ids; ++i) {
        std::uint32_t name = w.u32(first + i * 8);
        if (name > 0xFFFF || static_cast<std::int64_t>(name) <= previous)
            return Lookup::Bad;
        previous = name;
        if (name == id) {
            target = w.u32(first + i * 8 + 4);
            result = Lookup::Hit;
        }
    }
    return result;
}

// Whether the root directory has an entry of that name (names are stored in capitals); an unreadable
// name counts as that name.
bool hasNamedType(const Bytes& w, std::uint64_t root, std::u16string_view wanted) {
    std::uint64_t named = w.u16(root + 12);
    for (std::uint64_t i = 0; i < named; ++i) {
        std::uint64_t e = root + 16 + i * 8;
        if (!w.has(e, 8))
            return true;
        std::uint64_t text = root + (w.u32(e) & ~kHighBit);
        if (!w.has(text, 2) || !w.has(text + 2, 2 * std::uint64_t{w.u16(text)}))
            return true;
        if (w.u16(text) != wanted.size())
            continue;
        bool same = true;
        for (std::uint64_t k = 0; k < wanted.size(); ++k)
            same = same && w.u16(text + 2 + 2 * k) == wanted[k];
        if (same)
            return true;
    }
    return false;
}

// VS_FIXEDFILEINFO at at, when its signature is there.
PeVersionAnswer versionsAt(const Bytes& w, std::uint64_t at) {
    if (w.u32(at) != kFixedInfoSignature)
        return {};
    std::uint32_t fileMs = w.u32(at + 8), fileLs = w.u32(at + 12);
    std::uint32_t productMs = w.u32(at + 16), productLs = w.u32(at + 20);
    PeVersionAnswer found{PeVersionAnswer::Found, {}};
    unsigned* f = found.version.file;
    unsigned* p = found.version.product;
    f[0] = fileMs >> 16, f[1] = fileMs & 0xFFFF, f[2] = fileLs >> 16, f[3] = fileLs & 0xFFFF;
    p[0] = productMs >> 16, p[1] = productMs & 0xFFFF, p[2] = productLs >> 16, p[3] = productLs & 0xFFFF;
    return found;
}

// The fixed information at the front of a version resource: a block with the key "VS_VERSION_INFO"
// whose value (aligned to four bytes) is VS_FIXEDFILEINFO.
PeVersionAnswer fixedInfo(const Bytes& w, std::uint64_t at, std::uint32_t size) {
    static const char16_t key[] = u"VS_VERSION_INFO";
    constexpr std::uint64_t value = 40; // 6 bytes of lengths and type, 16 UTF-16 units of key, padding
    PeVersionAnswer unknown;
    if (size < value + 52 || !w.has(at, size))
        return unknown;
    std::uint16_t length = w.u16(at), valueLength = w.u16(at + 2), type = w.u16(at + 4);
    if (length < value + 52 || length > size || valueLength < 52 || type > 1)
        return unknown;
    for (std::uint64_t i = 0; i < 16; ++i)
        if (w.u16(at + 6 + 2 * i) != key[i])
            return unknown;
    return versionsAt(w, at + value);
}

// The same block of a 16-bit program file: no type field, the key in single bytes.
PeVersionAnswer fixedInfo16(const Bytes& w, std::uint32_t size) {
    constexpr std::uint64_t value = 20; // 4 bytes of lengths, 16 bytes of key
    PeVersionAnswer unknown;
    if (size < value + 52 || !w.has(0, size))
        return unknown;
    std::uint16_t length = w.u16(0), valueLength = w.u16(2);
    if (length < value + 52 || length > size || valueLength < 52 ||
        std::memcmp(w.b.data() + 4, "VS_VERSION_INFO", 16) != 0)
        return unknown;
    return versionsAt(w, value);
}

} // namespace

PeVersionScanner::PeVersionScanner(std::size_t limit) : limit_(limit) {}

void PeVersionScanner::reset() {
    fed_ = 0;
    head_.clear();
    window_.clear();
    planned_ = wanted_ = false;
    windowStart_ = windowEnd_ = 0;
    sectionRva_ = resourceRva_ = resourceSize_ = 0;
    format16_ = false;
    early_ = {};
}

void PeVersionScanner::feed(const char* data, std::size_t size) {
    std::uint64_t from = fed_;
    fed_ += size;
    if (!planned_) {
        std::size_t take = std::min(size, kHeadBytes - head_.size());
        head_.append(data, take);
        if (head_.size() < kHeadBytes)
            return;
        planWindow();
        keep(head_.data(), 0, head_.size());
        data += take, size -= take, from += take;
    }
    keep(data, from, size);
}

// Appends what of the bytes at file offset from belongs to the window; bytes come in order, so the
// window grows at its end only.
void PeVersionScanner::keep(const char* data, std::uint64_t from, std::size_t size) {
    if (!wanted_)
        return;
    std::uint64_t next = windowStart_ + window_.size();
    std::uint64_t lo = std::max(from, next), hi = std::min(from + size, windowEnd_);
    if (lo < hi && lo == next)
        window_.append(data + (lo - from), static_cast<std::size_t>(hi - lo));
}

// Reads the headers: where the resource directory lies in the file, or that there is none.
void PeVersionScanner::planWindow() {
    planned_ = true;
    early_ = {};
    Bytes h{head_};
    if (!h.has(0, 64) || head_[0] != 'M' || head_[1] != 'Z')
        return;
    std::uint64_t pe = h.u32(0x3C);
    if (h.has(pe, 64) && head_[pe] == 'N' && head_[pe + 1] == 'E')
        return planNeWindow(pe);
    if (!h.has(pe, 24) || std::memcmp(head_.data() + pe, "PE\0\0", 4) != 0)
        return; // another format: the version functions know those
    std::uint64_t sections = h.u16(pe + 6), optionalSize = h.u16(pe + 20);
    std::uint64_t optional = pe + 24;
    if (!h.has(optional, optionalSize) || optionalSize < 2)
        return;
    std::uint16_t magic = h.u16(optional);
    std::uint64_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
    if (!directories || optionalSize < directories + 3 * 8)
        return;
    std::uint64_t table = optional + optionalSize;
    if (!h.has(table, sections * 40) || h.u32(optional + directories - 4) <= 2)
        return;
    std::uint32_t rva = h.u32(optional + directories + 2 * 8);
    if (rva == 0) {
        early_.state = PeVersionAnswer::None; // no resources at all
        return;
    }
    if (rva < h.u32(optional + 60)) // inside the headers (SizeOfHeaders)
        return;
    for (std::uint64_t s = table; s < table + sections * 40; s += 40) {
        std::uint32_t virtualSize = h.u32(s + 8), address = h.u32(s + 12);
        std::uint32_t rawSize = h.u32(s + 16), rawStart = h.u32(s + 20);
        // Image mapping and file mapping agree on bytes that are both raw and within the virtual size.
        std::uint32_t extent = virtualSize ? std::min(virtualSize, rawSize) : rawSize;
        if (rva < address || rva - address >= rawSize)
            continue;
        if (rva - address >= extent || rawStart % 512 != 0)
            return;
        sectionRva_ = address;
        resourceRva_ = rva;
        windowStart_ = rawStart;
        windowEnd_ = rawStart + std::min<std::uint64_t>(extent, limit_);
        wanted_ = true;
        window_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(extent, limit_)));
        return;
    }
}

PeVersionAnswer PeVersionScanner::answer() {
    if (!planned_) {
        planWindow();
        keep(head_.data(), 0, head_.size());
    }
    if (!wanted_)
        return early_;
    if (format16_)
        return fixedInfo16(Bytes{window_}, resourceSize_);
    PeVersionAnswer unknown;
    Bytes w{window_};
    std::uint64_t root = resourceRva_ - sectionRva_;
    std::uint32_t target = 0;
    switch (findEntry(w, root, 16, target)) { // RT_VERSION
    case Lookup::Miss:
        // A "MUI" type may lead the version functions to a satellite file: theirs to say.
        return hasNamedType(w, root, u"MUI") ? unknown : PeVersionAnswer{PeVersionAnswer::None, {}};
    case Lookup::Bad:
        return unknown;
    case Lookup::Hit:
        break;
    }
    if (!(target & kHighBit) || findEntry(w, root + (target & ~kHighBit), 1, target) != Lookup::Hit ||
        !(target & kHighBit))
        return unknown; // no resource named 1 is left to the version functions' own search
    std::uint64_t languages = root + (target & ~kHighBit);
    if (!w.has(languages, 24) || w.u16(languages + 12) != 0 || w.u16(languages + 14) != 1)
        return unknown; // with several languages the loader's preference decides
    target = w.u32(languages + 20);
    std::uint64_t entry = root + target;
    if ((target & kHighBit) || !w.has(entry, 16))
        return unknown;
    std::uint32_t dataRva = w.u32(entry), size = w.u32(entry + 4);
    if (dataRva < sectionRva_)
        return unknown;
    return fixedInfo(w, dataRva - sectionRva_, size);
}

// A 16-bit program file (NE, the Win16 modules of a 32-bit system folder among them): its resource
// table lists each type with its entries, offsets and lengths in units of 1 << shift. The version
// functions take the first entry of type RT_VERSION with the number 1; no resource table or no such type
// means no version.
void PeVersionScanner::planNeWindow(std::uint64_t ne) {
    Bytes h{head_};
    std::uint64_t table = ne + h.u16(ne + 0x24), tableEnd = ne + h.u16(ne + 0x26);
    if (tableEnd == table) {
        early_.state = PeVersionAnswer::None;
        return;
    }
    if (tableEnd < table + 2 || !h.has(table, tableEnd - table))
        return;
    std::uint16_t shift = h.u16(table);
    if (shift > 15)
        return;
    for (std::uint64_t type = table + 2; type + 2 <= tableEnd;) {
        std::uint16_t id = h.u16(type);
        if (id == 0) {
            early_.state = PeVersionAnswer::None;
            return;
        }
        if (type + 8 > tableEnd)
            return;
        std::uint64_t count = h.u16(type + 2), entries = type + 8;
        if (entries + count * 12 > tableEnd)
            return;
        if (id == 0x8010) {
            for (std::uint64_t e = entries; e < entries + count * 12; e += 12) {
                if (h.u16(e + 6) != 0x8001)
                    continue;
                std::uint64_t start = std::uint64_t{h.u16(e)} << shift;
                resourceSize_ = static_cast<std::uint32_t>(std::uint64_t{h.u16(e + 2)} << shift);
                windowStart_ = start;
                windowEnd_ = start + std::min<std::uint64_t>(resourceSize_, limit_);
                format16_ = wanted_ = true;
                return;
            }
            return; // the type without the number 1: left to the version functions
        }
        type = entries + count * 12;
    }
}

PeVersionAnswer peVersionOf(std::string_view image) {
    PeVersionScanner scanner(image.size());
    scanner.feed(image.data(), image.size());
    return scanner.answer();
}

} // namespace kw

// The version read from a program file's bytes against the version functions: the inventory takes it
// from the bytes it reads once for the MD5.
#include "platform/PeVersion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/TempFolder.h"

namespace kw {
namespace {

std::string folderOfTests() {
    std::string self = windowsFileSystem().programPath();
    return self.substr(0, self.rfind('\\') + 1);
}

std::string fixtureBytes() {
    return windowsFileSystem().readFile(folderOfTests() + "kw_fixture_versioned.exe").value_or("");
}

TEST(PeVersionTest, AgreesWithTheVersionFunctionsOnEveryProgramFile) {
    FileSystem& files = windowsFileSystem();
    std::vector<std::string> paths;
    // The 32-bit system folder holds the 16-bit modules too: a 32-bit process sees it as its system
    // folder, a 64-bit one reads it beside its own.
    std::vector<std::string> folders{files.specialFolder(kCsidlSystem) + "\\", folderOfTests()};
    if (sizeof(void*) == 8)
        folders.push_back(files.specialFolder(0x29) + "\\"); // CSIDL_SYSTEMX86
    for (const std::string& folder : folders) {
        files.listFolder(folder, [&](const FolderEntry& e) {
            std::string name = e.name;
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!e.folder && name.size() > 4 &&
                (name.ends_with(".dll") || name.ends_with(".exe") || name.ends_with(".ocx") ||
                 name.ends_with(".drv") || name.ends_with(".sys")))
                paths.push_back(folder + e.name);
            return true;
        });
    }
    ASSERT_GT(paths.size(), 100u);
    size_t found = 0, none = 0, unknown = 0;
    for (const std::string& path : paths) {
        std::string bytes = files.readFile(path).value_or("");
        if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z')
            continue;
        PeVersionAnswer whole = peVersionOf(bytes);
        std::optional<FileVersion> expected = files.fileVersion(path);
        switch (whole.state) {
        case PeVersionAnswer::Found:
            ++found;
            ASSERT_TRUE(expected) << path;
            EXPECT_EQ(std::vector<unsigned>(whole.version.file, whole.version.file + 4),
                      std::vector<unsigned>(expected->file, expected->file + 4))
                << path;
            EXPECT_EQ(std::vector<unsigned>(whole.version.product, whole.version.product + 4),
                      std::vector<unsigned>(expected->product, expected->product + 4))
                << path;
            break;
        case PeVersionAnswer::None:
            ++none;
            EXPECT_FALSE(expected) << path;
            break;
        case PeVersionAnswer::Unknown:
            ++unknown;
            break;
        }
        PeVersionScanner pieces(bytes.size());
        for (size_t at = 0; at < bytes.size(); at += 4099)
            pieces.feed(bytes.data() + at, std::min<size_t>(4099, bytes.size() - at));
        PeVersionAnswer streamed = pieces.answer();
        EXPECT_EQ(streamed.state, whole.state) << path;
        EXPECT_EQ(std::vector<unsigned>(streamed.version.file, streamed.version.file + 4),
                  std::vector<unsigned>(whole.version.file, whole.version.file + 4))
            << path;
    }
    std::printf("program files: %zu answered with a version, %zu without one, %zu left to the version "
                "functions\n",
                found, none, unknown);
    EXPECT_GT(found, 100u);
    EXPECT_GE(none, 1u); // the MinGW-built test programs carry no resources
    EXPECT_LT(unknown * 20, found + none) << unknown << " left to the version functions";
}

TEST(PeVersionTest, FixtureFromTheResourceCompiler) {
    PeVersionAnswer a = peVersionOf(fixtureBytes());
    ASSERT_EQ(a.state, PeVersionAnswer::Found);
    EXPECT_EQ(std::vector<unsigned>(a.version.file, a.version.file + 4), (std::vector<unsigned>{1, 2, 3, 4}));
    EXPECT_EQ(std::vector<unsigned>(a.version.product, a.version.product + 4),
              (std::vector<unsigned>{5, 6, 7, 8}));
    // A resource section larger than what may be kept is not answered, rather than answered wrongly.
    PeVersionScanner small(64);
    std::string bytes = fixtureBytes();
    small.feed(bytes.data(), bytes.size());
    EXPECT_EQ(small.answer().state, PeVersionAnswer::Unknown);
    // Plain data and a short start are no program file with a version.
    EXPECT_EQ(peVersionOf("MZ").state, PeVersionAnswer::Unknown);
    EXPECT_EQ(peVersionOf(std::string(5000, 'x')).state, PeVersionAnswer::Unknown);
}

// Where the resource directory of the fixture lies in its file (file offset of the directory).
struct ResourcePlace {
    std::uint64_t root = 0;
};

std::uint32_t u32at(const std::string& b, std::uint64_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void put32(std::string& b, std::uint64_t at, std::uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}
std::uint16_t u16at(const std::string& b, std::uint64_t at) {
    std::uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

ResourcePlace resourcePlace(const std::string& b) {
    std::uint64_t pe = u32at(b, 0x3C), optional = pe + 24;
    std::uint64_t directories = u16at(b, optional) == 0x20B ? 112 : 96;
    std::uint32_t rva = u32at(b, optional + directories + 16);
    std::uint64_t table = optional + u16at(b, pe + 20);
    for (unsigned s = 0; s < u16at(b, pe + 6); ++s) {
        std::uint64_t h = table + 40 * s;
        std::uint32_t address = u32at(b, h + 12), raw = u32at(b, h + 16), start = u32at(b, h + 20);
        if (rva >= address && rva < address + raw)
            return {start + (rva - address)};
    }
    return {};
}

// The offset (from the directory's start) of the entry with number id in the directory at dir.
std::uint64_t entryOf(const std::string& b, std::uint64_t root, std::uint64_t dir, std::uint32_t id) {
    std::uint64_t named = u16at(b, root + dir + 12), ids = u16at(b, root + dir + 14);
    for (std::uint64_t i = 0; i < ids; ++i) {
        std::uint64_t e = dir + 16 + (named + i) * 8;
        if (u32at(b, root + e) == id)
            return e;
    }
    return 0;
}

// Damaged copies of the fixture are answered Unknown (so the version functions decide) or, where the
// damage missed what the answer depends on, with the right version; never with a wrong one, and never
// with a crash or a hang.
TEST(PeVersionTest, DamagedProgramFilesAreLeftToTheVersionFunctions) {
    const std::string good = fixtureBytes();
    ASSERT_EQ(peVersionOf(good).state, PeVersionAnswer::Found);
    std::uint64_t root = resourcePlace(good).root;
    ASSERT_GT(root, 0u);
    std::uint64_t type = entryOf(good, root, 0, 16);
    ASSERT_GT(type, 0u);
    std::uint64_t names = u32at(good, root + type + 4) & 0x7FFFFFFF;
    std::uint64_t name = entryOf(good, root, names, 1);
    ASSERT_GT(name, 0u);
    std::uint64_t languages = u32at(good, root + name + 4) & 0x7FFFFFFF;
    std::uint64_t data = u32at(good, root + languages + 16 + 4);

    auto expectUnknown = [](std::string bytes, const char* what) {
        EXPECT_EQ(peVersionOf(bytes).state, PeVersionAnswer::Unknown) << what;
    };
    std::string b = good;
    put32(b, root + data, 0xFFFFFFF0);
    expectUnknown(b, "data beyond the file");
    b = good;
    put32(b, root + data + 4, 0x7FFFFFFF);
    expectUnknown(b, "data size beyond the file");
    b = good;
    b[root + 14] = '\xFF', b[root + 15] = '\xFF';
    expectUnknown(b, "more entries than the section holds");
    b = good;
    put32(b, root + name + 4, 0x80000000 | static_cast<std::uint32_t>(names));
    expectUnknown(b, "a directory that leads to itself");
    b = good;
    put32(b, root + name + 4, 0x80000000);
    expectUnknown(b, "a directory that leads back to the root");
    b = good;
    put32(b, root + type + 4, 0x80000000 | 0x7FFFFFF0);
    expectUnknown(b, "a subdirectory far outside");
    b = good;
    put32(b, 0x3C, 0x7FFFFFF0);
    expectUnknown(b, "headers beyond the file");

    // Cut anywhere: never a wrong version.
    for (size_t length = 0; length < good.size(); length += 97) {
        PeVersionAnswer a = peVersionOf(std::string_view(good).substr(0, length));
        if (a.state == PeVersionAnswer::Found)
            EXPECT_EQ(a.version.file[0], 1u) << length;
        else
            EXPECT_EQ(a.state, PeVersionAnswer::Unknown) << length;
    }
    // Random bytes thrown into the headers and the resource directory.
    std::mt19937 rng(22);
    for (int round = 0; round < 3000; ++round) {
        b = good;
        for (int k = 0; k < 4; ++k) {
            std::uint64_t at = rng() % 2 ? rng() % 1024 : root + rng() % 512;
            b[at] = static_cast<char>(rng());
        }
        (void)peVersionOf(b);
    }
}

} // namespace
} // namespace kw

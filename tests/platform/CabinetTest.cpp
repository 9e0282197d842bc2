// The program's cabinet code on a fixed folder: the package keeps, byte for byte, what the system's
// cabinet library wrote for the same folder before the program packed by itself, whichever way the files
// are handed over; and it unpacks again, also a cabinet whose blocks copy from the blocks before them.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Cabinet.h"
#include "platform/CabinetFormat.h"
#include "platform/Digest.h"
#include "platform/Text.h"
#include "tests/TempFolder.h"

namespace kw {
namespace {

std::string sha256Of(const std::string& bytes) {
    Digest digest(DigestAlgorithm::Sha256);
    digest.update(bytes);
    std::uint8_t out[32];
    digest.finish(out, sizeof out);
    std::string hex;
    char two[3];
    for (std::uint8_t b : out) {
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    return hex;
}

std::uint32_t nextRandom(std::uint32_t& x) {
    x = x * 1103515245u + 12345u;
    return x;
}

// Text, table rows over a megabyte (more than one round of packing), noise, an empty file, a file of
// exactly one block and a Cyrillic name, all dated 15.01.2026 10:20:30 local time.
std::vector<std::pair<std::string, std::string>> fixedMembers() {
    std::string services, noise, block, journal, rows;
    char line[64];
    for (int i = 0; i < 3000; ++i)
        services += "Строка " + std::to_string(i) + ": " + std::to_string(i * 7919 % 10007) + "\r\n";
    std::uint32_t x = 12345;
    for (int i = 0; i < 40000; ++i)
        noise += static_cast<char>((nextRandom(x) >> 16) & 0xFF);
    for (int i = 0; i < 32768; ++i)
        block += static_cast<char>(static_cast<unsigned>(i) * static_cast<unsigned>(i) % 251);
    for (int i = 0; i < 500; ++i)
        journal += "Событие\r\n";
    x = 1;
    for (int i = 0; i < 45000; ++i) {
        nextRandom(x);
        std::snprintf(line, sizeof line, "%d\tfile%05u.dll\t%u\r\n", i, (x >> 8) % 50000, (x >> 4) % 9000000);
        rows += line;
    }
    return {{"block.dat", block}, {"empty.txt", ""},          {"inventory.csv", rows},
            {"noise.bin", noise}, {"Services.txt", services}, {"Журнал событий.txt", journal}};
}

void setLocalTime(const std::string& path) {
    SYSTEMTIME at{2026, 1, 0, 15, 10, 20, 30, 0};
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&at, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h =
        CreateFileW(toWide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
}

// What the system's cabinet library wrote for that folder.
constexpr char kFixedPackage[] = "0f0cb805357a51689d546b202cbf766c91a9bf27da73cf01d101df4eb9d4e90f";

TEST(CabinetTest, AFixedFolderPacksToTheBytesItHadAndUnpacksToItsFiles) {
    const auto members = fixedMembers();
    std::string src = test::tempDir() + "fixed\\";
    windowsFileSystem().createFolder(src);
    std::vector<CabinetSource> sources;
    for (const auto& [name, bytes] : members) {
        test::writeFileBytes(src + name, bytes);
        setLocalTime(src + name);
        sources.push_back({src + name, name});
    }

    std::string listed = test::tempDir() + "listed.cab";
    std::vector<std::int64_t> told;
    ASSERT_FALSE(writeCabinet(listed, sources, "KW_Archive", [&](std::int64_t done, std::int64_t) {
        told.push_back(done);
        return true;
    }));
    EXPECT_EQ(sha256Of(test::readFileBytes(listed)), kFixedPackage);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), 1442593); // every byte of the files, told as packing goes on

    // Handed over one by one, the file table is not known before the data: the same bytes all the same.
    std::string fed = test::tempDir() + "fed.cab";
    std::size_t next = 0;
    ASSERT_FALSE(writeCabinet(
        fed,
        [&](std::optional<FileError>&) -> std::optional<CabinetSource> {
            if (next == sources.size())
                return std::nullopt;
            return sources[next++];
        },
        1442593, "KW_Archive"));
    EXPECT_EQ(sha256Of(test::readFileBytes(fed)), kFixedPackage);

    std::string out = test::tempDir() + "unpacked\\";
    windowsFileSystem().createFolder(out);
    ExtractedCabinet result;
    ASSERT_FALSE(extractCabinet(listed, out, {}, result));
    ASSERT_EQ(result.written.size(), members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(result.written[i], members[i].first);
        EXPECT_EQ(test::readFileBytes(out + members[i].first), members[i].second) << members[i].first;
    }
}

TEST(CabinetTest, StoppedPackingLeavesNoCabinet) {
    std::string src = test::tempDir() + "stop.txt";
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    test::writeFileBytes(src, text);
    std::string cab = test::tempDir() + "stopped.cab";
    test::writeFileBytes(cab, "an older package");
    auto error = writeCabinet(cab, {{src, "stop.txt"}}, "KW_Archive",
                              [](std::int64_t, std::int64_t) { return false; });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "упаковка прервана");
    EXPECT_FALSE(test::fileExists(cab));
}

// Other packers let a block copy from the 32 KB unpacked before it; ours never do, so such a cabinet is
// made here: one member of a repeated piece, each block compressed with the previous output as history.
TEST(CabinetTest, BlocksThatCopyFromEarlierBlocksUnpack) {
    std::string piece;
    std::uint32_t x = 99;
    for (int i = 0; i < 12000; ++i)
        piece += static_cast<char>('a' + (nextRandom(x) >> 16) % 26);
    std::string data;
    while (data.size() < 5 * 32768)
        data += piece;
    std::string blocks;
    unsigned count = 0;
    for (std::size_t at = 0; at < data.size(); at += 32768, ++count) {
        std::size_t size = std::min<std::size_t>(32768, data.size() - at);
        z_stream s{};
        ASSERT_EQ(deflateInit2(&s, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
        std::size_t from = at > 32768 ? at - 32768 : 0;
        if (at > 0)
            deflateSetDictionary(&s, reinterpret_cast<const Bytef*>(data.data() + from),
                                 static_cast<uInt>(at - from));
        std::string packed(40000, '\0');
        packed[0] = 'C';
        packed[1] = 'K';
        s.next_in = reinterpret_cast<Bytef*>(data.data() + at);
        s.avail_in = static_cast<uInt>(size);
        s.next_out = reinterpret_cast<Bytef*>(packed.data() + 2);
        s.avail_out = static_cast<uInt>(packed.size() - 2);
        ASSERT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
        packed.resize(2 + s.total_out);
        deflateEnd(&s);
        // Without its history the block does not decode: it does copy from the blocks before it.
        if (at > 0) {
            z_stream plain{};
            inflateInit2(&plain, -15);
            std::string out(32768, '\0');
            plain.next_in = reinterpret_cast<Bytef*>(packed.data() + 2);
            plain.avail_in = static_cast<uInt>(packed.size() - 2);
            plain.next_out = reinterpret_cast<Bytef*>(out.data());
            plain.avail_out = static_cast<uInt>(out.size());
            EXPECT_NE(inflate(&plain, Z_FINISH), Z_STREAM_END);
            inflateEnd(&plain);
        }
        unsigned char head[8] = {};
        cab::put16(head + 4, static_cast<std::uint16_t>(packed.size()));
        cab::put16(head + 6, static_cast<std::uint16_t>(size));
        cab::put32(head, cab::blockChecksum(reinterpret_cast<const unsigned char*>(packed.data()),
                                            packed.size(), head + 4));
        blocks += std::string(reinterpret_cast<char*>(head), 8) + packed;
    }
    const std::string name = "history.txt";
    const std::size_t dataAt = 36 + 8 + 16 + name.size() + 1;
    std::string cab(dataAt, '\0');
    auto* h = reinterpret_cast<unsigned char*>(cab.data());
    std::memcpy(h, "MSCF", 4);
    cab::put32(h + 8, static_cast<std::uint32_t>(dataAt + blocks.size()));
    cab::put32(h + 16, 44);
    h[24] = 3;
    h[25] = 1;
    cab::put16(h + 26, 1);
    cab::put16(h + 28, 1);
    cab::put32(h + 36, static_cast<std::uint32_t>(dataAt));
    cab::put16(h + 40, static_cast<std::uint16_t>(count));
    cab::put16(h + 42, cab::kCompressMszip);
    cab::put32(h + 44, static_cast<std::uint32_t>(data.size()));
    std::memcpy(h + 60, name.c_str(), name.size() + 1);
    std::string path = test::tempDir() + "history.cab";
    test::writeFileBytes(path, cab + blocks);

    std::string out = test::tempDir() + "history\\";
    windowsFileSystem().createFolder(out);
    ExtractedCabinet result;
    ASSERT_FALSE(extractCabinet(path, out, {}, result));
    EXPECT_EQ(test::readFileBytes(out + name), data);
}

} // namespace
} // namespace kw

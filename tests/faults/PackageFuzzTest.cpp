// Damaged packages, as they come back from mail gateways: each variant of a real package is opened with
// the program's own unpacking code and must end within 10 s, opened or refused, with nothing written
// outside the staging folder and the target untouched when refused. A few go through the command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <map>

#include "platform/CabinetLayout.h"
#include "results/ResultPackage.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"
#include "tests/e2e/RunningProgram.h"
#include "tests/faults/CabinetMutations.h"

namespace kw {
namespace {

constexpr auto kLimit = std::chrono::seconds(10);

struct QuietObserver : RunObserver {
    void topicChanged(const std::string&) override {}
    void progressChanged(int) override {}
};

// A cabinet in memory, as the layout check reads it.
CabinetBytes bytesOf(const std::string& bytes) {
    return [&bytes](std::uint64_t at, void* buffer, std::size_t size) {
        if (at > bytes.size() || size > bytes.size() - at)
            return false;
        std::memcpy(buffer, bytes.data() + at, size);
        return true;
    };
}

class PackageFuzzTest : public testing::Test {
  protected:
    test::FakeSystem clock;
    test::RecordingProcesses processes;
    OptionSet options;
    Settings settings;
    CollectionRun run{{windowsFileSystem(), clock, windowsDesktop(), processes}, options, settings};
    QuietObserver observer;
    ResultPackages packages{run, observer};
    FileSystem& files = windowsFileSystem();

    void SetUp() override {
        run.folders().CreateWorkFolder(kWorkFolder);
        run.folders().CreateWorkFolder(kCompareFolder);
    }
    // A real package of a few members in one folder of several data blocks.
    std::string soundPackage() {
        std::string src = test::tempDir() + "src\\";
        files.createFolder(src);
        std::string log;
        for (int i = 0; i < 4000; ++i)
            log += "Строка журнала " + std::to_string(i * 7919 % 10007) + "\r\n";
        std::vector<std::pair<std::string, std::string>> members = {{"KW_Scan!.rtf", "{\\rtf1 run}"},
                                                                    {"Services.txt", log},
                                                                    {"empty.txt", ""},
                                                                    {"a.csv", "x\ty\r\n"}};
        std::vector<CabinetSource> sources;
        for (const auto& [name, bytes] : members) {
            files.writeFile(src + name, bytes);
            sources.push_back({src + name, name});
        }
        std::string cab = test::tempDir() + "sound.cab";
        EXPECT_FALSE(writeCabinet(cab, sources, kDiskLabel));
        return test::readFileBytes(cab);
    }
    // Every file below the temporary folder with its size, the target ("KW_Temp2") left out.
    std::map<std::string, std::int64_t> snapshot(const std::string& folder, bool top = true) {
        std::map<std::string, std::int64_t> out;
        files.listFolder(folder, [&](const FolderEntry& e) {
            std::string path = folder + e.name;
            if (top && e.name == kCompareFolder + 1)
                return true;
            if (e.folder)
                out.merge(snapshot(path + "\\", false));
            else
                out[path] = e.size;
            return true;
        });
        return out;
    }
};

TEST_F(PackageFuzzTest, DamagedPackagesOpenOrAreRefusedWithinTheirTimeAndTouchNothingElse) {
    // The long run of bench/fuzz-packages.sh asks for more random variants and another seed.
    const char* count = std::getenv("KW_FUZZ_RANDOM");
    const char* seed = std::getenv("KW_FUZZ_SEED");
    const bool trace = std::getenv("KW_FUZZ_TRACE") != nullptr; // names each variant before it is opened
    const char* from = std::getenv("KW_FUZZ_FROM");             // skips as many variants (a rerun)
    std::string sound = soundPackage();
    auto variants = test::cabinetVariants(sound, count ? std::atoi(count) : 300,
                                          seed ? static_cast<std::uint32_t>(std::atoll(seed)) : 20261209u);
    ASSERT_GE(variants.size(), 500u);
    if (from)
        variants.erase(variants.begin(),
                       variants.begin() +
                           std::min<std::size_t>(std::strtoul(from, nullptr, 10), variants.size()));

    const std::string temp = run.folders().GetTempDirectory();
    const std::string target = run.folders().folderPath(kCompareFolder);
    const std::string package = temp + "variant.kw";
    test::writeFileBytes(target + "\\kept.txt", "side 2 before");
    int opened = 0, refused = 0;
    std::chrono::steady_clock::duration slowest{};
    std::string slowestName;
    for (const auto& variant : variants) {
        if (trace) {
            std::printf("%s\n", variant.name.c_str());
            std::fflush(stdout);
        }
        test::writeFileBytes(package, variant.bytes);
        auto before = snapshot(temp);
        auto started = std::chrono::steady_clock::now();
        auto open =
            std::async(std::launch::async, [&] { return packages.OpenPackage(package, kCompareFolder); });
        ASSERT_EQ(open.wait_for(kLimit), std::future_status::ready) << variant.name << " hangs";
        // The library unpacks into memory: the same verdict on the cabinet, within the same time.
        std::vector<UnpackedMember> inMemory;
        ExtractedCabinet listed;
        auto unpack = std::async(std::launch::async, [&] {
            return unpackPlainMembersToMemory(package, target, 1 << 20, inMemory, listed);
        });
        ASSERT_EQ(unpack.wait_for(kLimit), std::future_status::ready) << variant.name << " hangs in memory";
        std::optional<FileError> memoryError = unpack.get();
        const bool unpackedInMemory = !memoryError || memoryError->code == kTooLargeForMemory;
        if (auto took = std::chrono::steady_clock::now() - started; took > slowest) {
            slowest = took;
            slowestName = variant.name;
        }
        OpenOutcome outcome = open.get();
        if (std::size_t done = static_cast<std::size_t>(opened + refused + 1); done % 10000 == 0) {
            std::printf("%zu of %zu variants\n", done, variants.size());
            std::fflush(stdout);
        }
        EXPECT_EQ(snapshot(temp), before) << variant.name << " wrote outside its target";
        if (outcome.opened) {
            ++opened;
            EXPECT_TRUE(unpackedInMemory) << variant.name << " opens, but not in memory";
            test::writeFileBytes(target + "\\kept.txt", "side 2 before");
        } else {
            ++refused;
            EXPECT_EQ(test::readFileBytes(target + "\\kept.txt"), "side 2 before") << variant.name;
            EXPECT_FALSE(outcome.reason.empty()) << variant.name;
        }
    }
    std::printf(
        "%zu damaged packages: %d opened, %d refused, none crashed or hung; slowest %lld ms (%s)\n",
        variants.size(), opened, refused,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count()),
        slowestName.c_str());
    EXPECT_GT(refused, 0);
}

// The header says no folder while the files name folder 0: the system's library would read past its
// tables. The check refuses it, and a sound cabinet passes.
TEST_F(PackageFuzzTest, CabinetWithFilesButNoFolderIsRefusedBeforeTheLibrarySeesIt) {
    std::string sound = soundPackage();
    EXPECT_EQ(cabinetLayoutFault(sound.size(), bytesOf(sound)), std::nullopt);
    std::string damaged = sound;
    damaged[26] = 0; // cFolders
    EXPECT_EQ(cabinetLayoutFault(damaged.size(), bytesOf(damaged)),
              "в архиве есть файлы, но нет ни одной папки");

    std::string path = test::tempDir() + "nofolder.kw";
    test::writeFileBytes(path, damaged);
    ExtractedCabinet extracted;
    std::string into = test::tempDir() + "into";
    files.createFolder(into);
    auto error = extractCabinet(path, into, {}, extracted);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "архив CAB повреждён: в архиве есть файлы, но нет ни одной папки");
    EXPECT_TRUE(extracted.written.empty());
}

// The checksum of a data block is an XOR of its words: the same change to two bytes of one column
// leaves it as it was. A package damaged so once brought the system's decoder down; the packed data is
// now decoded once before the library sees it, and the package is refused.
TEST_F(PackageFuzzTest, PackedDataDamagedPastItsChecksumIsRefused) {
    std::string sound = soundPackage();
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned char>(sound[at]) | static_cast<unsigned char>(sound[at + 1]) << 8;
    };
    std::size_t block = static_cast<std::size_t>(u16(36)) | static_cast<std::size_t>(u16(38)) << 16;
    const int blocks = u16(40);
    ASSERT_GE(blocks, 2);
    int refused = 0;
    for (int i = 0; i < blocks; ++i) {
        std::size_t packed = u16(block + 4), data = block + 8;
        if (packed >= 2048) {
            // Two bytes of one column, a thousand bytes apart, changed alike (as the damaged package had it).
            std::string damaged = sound;
            for (std::size_t at : {data + 1712, data + 1712 + 1036})
                damaged[at] = static_cast<char>(damaged[at] ^ 0xA1);
            ASSERT_EQ(damaged.substr(block, 4), sound.substr(block, 4)); // the stored checksum
            auto fault = cabinetLayoutFault(damaged.size(), bytesOf(damaged));
            EXPECT_EQ(fault, "сжатые данные повреждены") << "block " << i;
            refused += fault.has_value();
        }
        block = data + packed;
    }
    EXPECT_GT(refused, 0);
}

// The command line meets the same packages: it says so and exits with 2, never a crash or a wait.
TEST_F(PackageFuzzTest, CompareCommandRefusesDamagedPackagesWithExitCodeTwo) {
    std::string sound = soundPackage();
    std::string good = test::tempDir() + "good.kw";
    test::writeFileBytes(good, sound);
    auto variants = test::cabinetVariants(sound, 0, 0);
    int tried = 0;
    for (const auto& variant : variants) {
        bool wanted = variant.name == "cFolders=0" || variant.name == "cut at 36" ||
                      variant.name == "iFolder=65533" || variant.name == "cbFile=4294967295" ||
                      variant.name == "one of a set, flags 2" || variant.name == "coffCabStart=4294967295";
        if (!wanted)
            continue;
        ++tried;
        std::string damaged = test::tempDir() + "damaged.kw";
        test::writeFileBytes(damaged, variant.bytes);
        Child child =
            start("compare \"" + good + "\" \"" + damaged + "\" \"" + test::tempDir() + "report.txt\"");
        ASSERT_TRUE(child.process) << variant.name;
        if (WaitForSingleObject(child.process.get(), 10000) != WAIT_OBJECT_0) {
            TerminateProcess(child.process.get(), 99);
            ADD_FAILURE() << variant.name << " hangs";
            continue;
        }
        DWORD code = 0;
        GetExitCodeProcess(child.process.get(), &code);
        EXPECT_EQ(code, 2u) << variant.name;
    }
    EXPECT_EQ(tried, 6);
}

} // namespace
} // namespace kw

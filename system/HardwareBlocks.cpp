// Memory, drive and display lines of the hardware part of the system section.
#include "system/HardwareBlocks.h"

namespace kw {

std::int64_t memoryMegabytes(std::uint64_t bytes) {
    constexpr std::uint64_t mb = 1024 * 1024;
    std::uint64_t whole = bytes / mb, rest = bytes % mb;
    if (rest > mb / 2 || (rest == mb / 2 && whole % 2 == 1))
        ++whole;
    return static_cast<std::int64_t>(whole) + 1;
}

std::vector<std::string> memoryLines(const MemoryStatus& s) {
    return {
        std::to_string(memoryMegabytes(s.totalPhysical)) + " Мб" +
            " -- Всего физической памяти (в байтах): " + std::to_string(s.totalPhysical),
        std::to_string(memoryMegabytes(s.availablePhysical)) +
            " Мб -- Доступно физической памяти (в байтах): " + std::to_string(s.availablePhysical),
        "Память загружена на " + std::to_string(s.memoryLoad) + "%",
    };
}

std::string gigabytesText(std::int64_t bytes, const std::string& separator) {
    constexpr std::uint64_t gb = 1024ull * 1024 * 1024;
    bool negative = bytes < 0;
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    std::uint64_t whole = magnitude / gb + (magnitude % gb >= gb / 2 ? 1 : 0);
    std::string digits = std::to_string(whole), text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits[i];
    }
    return negative && whole != 0 ? "-" + text : text;
}

std::string driveTypeText(unsigned type) {
    static const char* const texts[] = {
        "?", "Path does not exists", "Removable", "Fixed", "Remote", "CD-ROM", "RAMDisk"};
    return type < std::size(texts) ? texts[type] : "Unknown";
}

std::vector<std::string> driveLines(SystemInfo& system) {
    std::vector<std::string> lines = {" ", "Логические разделы: "};
    std::uint32_t mask = system.logicalDrives();
    std::string separator = system.thousandSeparator();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i)))
            continue;
        char letter = static_cast<char>('A' + i);
        std::string size = "0", free = "0", fileSystem;
        // Floppy drives are left alone: touching them can spin up the drive or ask for a disk.
        if (letter > 'B') {
            // A drive that cannot be read (an empty CD drive) shows zero sizes rather than a negative figure.
            DiskSpace space = system.diskSpace(letter).value_or(DiskSpace{});
            size = gigabytesText(space.size, separator);
            free = gigabytesText(space.free, separator);
            fileSystem = system.volumeFileSystem(letter);
        }
        lines.push_back(std::string("    ") + letter + ":\\ " + driveTypeText(system.driveType(letter)) +
                        "\t - DiskSize: " + size + " Gb\t - DiskFree: " + free + " Gb [" + fileSystem + "]");
    }
    return lines;
}

std::string screenFontLine(int pixelsPerInch) {
    return pixelsPerInch == 96 ? "\rВ системе используется стандартный шрифт = 96"
                               : "\rВ системе используется КРУПНЫЙ шрифт > 120";
}

std::vector<std::string> displayAdapterLines(SystemInfo& system) {
    std::vector<std::string> lines = {" ", "Видеокарта: "};
    for (const std::string& adapter : system.displayAdapters())
        lines.push_back("    " + adapter);
    return lines;
}

} // namespace kw

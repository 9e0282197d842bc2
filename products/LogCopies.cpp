#include "products/LogCopies.h"

#include "core/CollectionRun.h"
#include "core/FileInventory.h"
#include "platform/Text.h"
#include "products/ProductSection.h"

namespace kw {

const LogFamily kTessarinLogs{
    .gate = Option::Tessarin,
    .name = "Tessarin",
    .table = "(Tessarin)_Log.csv",
    .searchLine = "Условие поиска csv файлов ТЕССАРИН: ",
    .fileLine = "Tessarin ",
};
const LogFamily kFerryLogs{
    .gate = Option::FerryOak,
    .name = "Ferry-OAK",
    .table = "(Ferry-OAK)_Log.csv",
    .searchLine = "Ferry-OAK ",
    .fileLine = "Ferry-OAK ",
};

namespace {

// The text's code points, upper-cased where the ANSI code page's letters have cases (Cyrillic too).
std::u32string folded(std::string_view text) {
    std::u32string out = decodeUtf8(text);
    for (char32_t& c : out) {
        if (c >= 'a' && c <= 'z')
            c -= 32;
        else if (c >= 0x430 && c <= 0x44F)
            c -= 32; // а..я
        else if (c >= 0x450 && c <= 0x45F)
            c -= 80; // ѐ..џ
    }
    return out;
}

bool matches(const std::u32string& name, size_t n, const std::u32string& mask, size_t m) {
    // Iterative with one back-track point: "*" never makes this exponential.
    size_t starMask = std::u32string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++n, ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++, starName = n;
        } else if (starMask != std::u32string::npos) {
            m = starMask + 1, n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void appendToTable(ProductSection& s, const std::string& table, const std::string& row) {
    FileSystem& files = s.run().platform().files;
    std::string path = s.workPath(table);
    std::string text = files.readFile(path).value_or(utf8ToAnsi(std::string(kLogTableHeader) + "\r\n"));
    files.writeFile(path, text + utf8ToAnsi(row) + "\r\n");
}

} // namespace

bool matchesMask(std::string_view name, std::string_view mask) {
    return matches(folded(name), 0, folded(mask), 0);
}

std::string logTableRow(ProductSection& s, const std::string& copyName, const std::string& sourceFolder) {
    std::string copy = s.workPath(copyName);
    LocalTime t = s.run().folders().FileDateOf(copy).value_or(LocalTime{});
    return copyName + "\t" + std::to_string(s.run().folders().FileSizeOf(copy)) + "\t" +
           dateTimeText(s.run().platform().system, t.year, t.month, t.day, t.hour, t.minute, t.second) +
           "\t" + sourceFolder + "\t \t ";
}

void CopyLogFiles(ProductSection& s, const LogFamily& family, const std::string& folderIn,
                  const std::string& tag, const std::string& mask) {
    if (!s.on(family.gate))
        return;
    // The folder values end in a separator and the rows' sub-folders start with one: the lines show one.
    std::string folder = collapseSeparators(folderIn);
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    s.debug(std::string(family.searchLine) + folder + " | " + mask);
    FileSystem& files = s.run().platform().files;
    std::string name(family.name);
    std::string listed = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    // A missing folder is no error: nothing to copy from it.
    auto failure = files.listFolder(listed, [&](const FolderEntry& e) {
        if (e.folder || !matchesMask(e.name, mask))
            return true;
        s.debug(std::string(family.fileLine) + folder + " | " + e.name);
        std::string source = folder + "\\" + e.name;
        std::string copyName = "(" + name + ")" + tag + e.name;
        if (files.copyFileNoReplace(source, s.workPath(copyName))) {
            s.line("\r\n[-] Лог файл " + name + " скопировать НЕ удалось: [" + source + "] -> " + copyName);
            return true;
        }
        s.blue("\r\n" + e.name + " (" + name + ")" + tag + "  [" + folder + "]");
        s.line("[" + source + "] ---> \"" + copyName + "\"");
        appendToTable(s, std::string(family.table), logTableRow(s, copyName, folder));
        return true;
    });
    if (failure)
        s.line("[!!] [Получить список файлов не удалось] [\"" + listed +
               "\"] - EOSError ошибка, с сообщением: " + failure->message);
}

} // namespace kw

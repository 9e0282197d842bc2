// The contents list of a package: writing it, reading it back, and checking unpacked members against it.
#include "results/PackageManifest.h"

#include <algorithm>

#include "platform/Digest.h"
#include "platform/Text.h"
#include "results/HeldFiles.h"
#include "results/ResultTree.h"

namespace kw {
namespace {

constexpr const char* kHeader = "Имя файла:\tБайт:\tSHA-256:\tТема:";
constexpr const char* kReportHeader = "Имя файла:\tСостояние:";

std::string cell(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return s;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
        cells.push_back(line.substr(from, tab - from));
    cells.push_back(line.substr(from));
    return cells;
}

bool isDigest(std::string& s) {
    if (s.size() != 64)
        return false;
    for (char& c : s) {
        if (c >= 'A' && c <= 'F')
            c = static_cast<char>(c + 32);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// A member's name as the list holds it: the list is ANSI, so a name with characters outside the code page
// stands there with "?" for them.
bool listedAs(const std::string& listed, const std::string& member) {
    return sameTextIgnoringCase(listed, member) ||
           sameTextIgnoringCase(listed, ansiToUtf8(utf8ToAnsi(member)));
}

} // namespace

std::string topicOfFile(std::string_view name) {
    for (const ResultNode& n : resultTree())
        if (!n.file.empty() && sameTextIgnoringCase(n.file, name))
            return std::string(n.text);
    return {};
}

std::string manifestText(const std::vector<ManifestRow>& rows) {
    std::string text = std::string(kHeader) + "\r\n";
    for (const ManifestRow& r : rows)
        text +=
            cell(r.name) + "\t" + std::to_string(r.size) + "\t" + r.sha256 + "\t" + cell(r.topic) + "\r\n";
    return utf8ToAnsi(text);
}

std::optional<std::vector<ManifestRow>> parseManifest(std::string_view ansi) {
    std::string text = ansiToUtf8(ansi);
    std::vector<ManifestRow> rows;
    bool header = true;
    for (std::size_t from = 0; from < text.size();) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(from, end - from);
        from = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (header) {
            if (line != kHeader)
                return std::nullopt;
            header = false;
            continue;
        }
        if (line.empty())
            continue;
        std::vector<std::string> cells = splitTabs(line);
        if (cells.size() != 4 || cells[0].empty() || cells[1].empty() || cells[1].size() > 18 ||
            !std::all_of(cells[1].begin(), cells[1].end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            !isDigest(cells[2]))
            return std::nullopt;
        rows.push_back({cells[0], std::stoll(cells[1]), cells[2], cells[3]});
    }
    if (header)
        return std::nullopt;
    return rows;
}

std::optional<FileError> hashFile(FileSystem& files, const std::string& path, std::int64_t& size,
                                  std::string& sha256) {
    FileError error;
    std::unique_ptr<FileReader> in = files.openRead(path, error);
    if (!in)
        return error;
    Sha256 hash;
    if (!hash.ok())
        return FileError{0, "не удалось получить алгоритм SHA-256 системы"};
    thread_local std::string block(1 << 20, '\0'); // made once: allocating it per file costs more
    size = 0;
    std::int64_t got;
    while ((got = in->read(block.data(), block.size())) > 0) {
        hash.update(block.data(), static_cast<std::size_t>(got));
        size += got;
    }
    if (got < 0)
        return in->error();
    sha256 = lowerHex(hash.finish());
    return std::nullopt;
}

const char* memberStateText(MemberState state) {
    switch (state) {
    case MemberState::Same:
        return "совпадает";
    case MemberState::Changed:
        return "изменён";
    case MemberState::Missing:
        return "отсутствует";
    case MemberState::Extra:
        return "лишний";
    }
    return "";
}

int PackageCheck::count(MemberState state) const {
    return static_cast<int>(std::count_if(members.begin(), members.end(),
                                          [&](const MemberCheck& m) { return m.state == state; }));
}

int PackageCheck::differing() const {
    return static_cast<int>(members.size()) - count(MemberState::Same);
}

PackageCheck checkUnpackedPackage(FileSystem& files, const std::string& folder,
                                  const std::vector<std::string>& written,
                                  const std::vector<std::pair<std::string, std::string>>& refused) {
    PackageCheck check;
    auto manifest = std::find_if(written.begin(), written.end(),
                                 [](const std::string& n) { return sameTextIgnoringCase(n, kManifestFile); });
    if (manifest == written.end())
        return check; // ManifestState::Missing
    check.manifest = ManifestState::Unreadable;
    // A list of thousands of members is well under a megabyte; a huge one is no list of ours.
    const std::string path = folder + "\\" + *manifest;
    if (files.fileSize(path) > kHeldTextBytes) {
        check.problem = "это не состав пакета KW_Scan!";
        return check;
    }
    auto bytes = files.readFile(path);
    if (!bytes) {
        check.problem = "файл не читается";
        return check;
    }
    auto rows = parseManifest(*bytes);
    if (!rows) {
        check.problem = "это не состав пакета KW_Scan!";
        return check;
    }
    check.manifest = ManifestState::Checked;

    std::vector<bool> used(written.size(), false);
    used[static_cast<std::size_t>(manifest - written.begin())] = true;
    std::vector<bool> refusedListed(refused.size(), false);
    for (const ManifestRow& row : *rows) {
        MemberCheck m{row.name, MemberState::Missing, ""};
        std::size_t i = 0;
        while (i < written.size() && (used[i] || !listedAs(row.name, written[i])))
            ++i;
        if (i == written.size()) {
            for (std::size_t r = 0; r < refused.size(); ++r) {
                if (!refusedListed[r] && listedAs(row.name, refused[r].first)) {
                    refusedListed[r] = true;
                    m.detail = "файл есть в пакете, но не открыт (" + refused[r].second + ")";
                    break;
                }
            }
            check.members.push_back(m);
            continue;
        }
        used[i] = true;
        m.name = written[i];
        std::int64_t size = 0;
        std::string sha;
        if (auto error = hashFile(files, folder + "\\" + written[i], size, sha)) {
            m.state = MemberState::Changed;
            m.detail = "файл не читается: " + error->message;
        } else if (size != row.size) {
            m.state = MemberState::Changed;
            m.detail =
                "размер " + std::to_string(size) + " байт, а по составу пакета " + std::to_string(row.size);
        } else if (sha != row.sha256) {
            m.state = MemberState::Changed;
            m.detail = "содержимое не совпадает с составом пакета (SHA-256)";
        } else {
            m.state = MemberState::Same;
        }
        check.members.push_back(m);
    }
    for (std::size_t i = 0; i < written.size(); ++i)
        if (!used[i])
            check.members.push_back({written[i], MemberState::Extra, "его нет в составе пакета"});
    for (std::size_t r = 0; r < refused.size(); ++r)
        if (!refusedListed[r])
            check.members.push_back({refused[r].first, MemberState::Extra,
                                     "его нет в составе пакета, и он не открыт (" + refused[r].second + ")"});
    return check;
}

std::vector<std::string> checkLogLines(const PackageCheck& check, const std::string& package) {
    switch (check.manifest) {
    case ManifestState::Missing:
        return {"В пакете \"" + package + "\" нет состава пакета (" + kManifestFile +
                "): проверить, дошёл ли он целым, нельзя."};
    case ManifestState::Unreadable:
        return {"[!!] Состав пакета " + std::string(kManifestFile) + " в файле \"" + package +
                "\" не читается (" + check.problem + "): проверить, дошёл ли пакет целым, нельзя."};
    case ManifestState::Checked:
        break;
    }
    std::vector<std::string> lines;
    for (const MemberCheck& m : check.members) {
        std::string head = "[!!] Файл пакета \"" + m.name + "\" ";
        switch (m.state) {
        case MemberState::Same:
            break;
        case MemberState::Changed:
            lines.push_back(head + "изменён: " + m.detail);
            break;
        case MemberState::Missing:
            lines.push_back(head + "отсутствует: он указан в составе пакета" +
                            (m.detail.empty() ? std::string(", но в пакете его нет") : ", но " + m.detail));
            break;
        case MemberState::Extra:
            lines.push_back(head + "лишний: " + m.detail);
            break;
        }
    }
    if (lines.empty())
        lines.push_back("Состав пакета проверен: все файлы (" + std::to_string(check.members.size()) +
                        ") совпадают.");
    else
        lines.push_back("Пакет не совпадает со своим составом: файлов с расхождениями - " +
                        std::to_string(check.differing()) + ".");
    return lines;
}

std::string verifyReportText(const PackageCheck& check) {
    std::string text = std::string(kReportHeader) + "\r\n";
    for (const MemberCheck& m : check.members)
        text += cell(m.name) + "\t" + memberStateText(m.state) + "\r\n";
    return utf8ToAnsi(text);
}

} // namespace kw

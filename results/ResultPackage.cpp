// Saving and opening result packages.
#include "results/ResultPackage.h"

#include <algorithm>
#include <array>
#include <set>

#include "platform/Processes.h"
#include "platform/Text.h"
#include "results/PackageMembers.h"

namespace kw {
namespace {

constexpr std::array<std::string_view, 5> kByProducts = {"KW_Scan_CAB.txt", "Archive.TXT", "setup.inf",
                                                         "KWScan.DDF", "KWScan.CAB"};

std::string withoutSeparator(std::string folder) {
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

bool isDeviceName(const std::string& name) {
    // "CON", "con.txt", "COM1 .log": the part before the first dot, without trailing blanks, counts.
    std::string base = upper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const std::set<std::string> devices = {
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",   "COM8",
        "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$"};
    return devices.contains(base);
}

constexpr std::size_t kMaxPath = 260; // MAX_PATH: the program and the shell use no longer paths

} // namespace

bool isPackingByProduct(std::string_view name) {
    return std::find(kByProducts.begin(), kByProducts.end(), name) != kByProducts.end();
}

bool isPackageList(std::string_view name) {
    return sameTextIgnoringCase(name, kManifestFile) || sameTextIgnoringCase(name, kMaskedListFile);
}

std::string directiveText(const std::vector<std::string>& names) {
    std::string text = "; Установка различных переменных MakeCab\r\n"
                       ".Set Cabinet=On\r\n"
                       ".Set CabinetName1=KWScan.CAB\r\n"
                       ".Set Compress=on\r\n"
                       ".Set DiskDirectory1=.\r\n"
                       ".Set DiskLabel=\"KW_Archive\"\r\n"
                       ".Set MaxDiskSize=CDROM\r\n"
                       ".Set RptFileName=Archive.TXT\r\n"
                       "; список архивируемых файлов\r\n";
    for (const std::string& n : names)
        text += "\"" + n + "\"\r\n";
    return text;
}

std::string packageFileName(const std::string& computer, const std::string& shortDate,
                            const std::string& longTime) {
    std::string date, time;
    std::copy_if(shortDate.begin(), shortDate.end(), std::back_inserter(date),
                 [](char c) { return c != '.'; });
    std::copy_if(longTime.begin(), longTime.end(), std::back_inserter(time), [](char c) { return c != ':'; });
    std::string name = computer + "_" + date + "_" + time;
    std::erase_if(name, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 ||
               std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
    return name + ".cab";
}

std::optional<std::string> memberRefusal(const std::string& name, const std::string& folder) {
    if (name.empty())
        return "пустое имя";
    if (name.find_first_of("\\/") != std::string::npos)
        return "имя содержит путь";
    if (name.find(':') != std::string::npos)
        return "имя содержит диск или поток";
    if (name == "." || name == "..")
        return "имя каталога";
    if (std::any_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 ||
                   std::string_view("*?\"<>|").find(c) != std::string_view::npos;
        }))
        return "недопустимые символы в имени";
    // Windows drops trailing dots and blanks, so such a name would land on another file.
    if (name.back() == '.' || name.back() == ' ')
        return "имя оканчивается точкой или пробелом";
    if (isDeviceName(name))
        return "зарезервированное имя устройства";
    std::size_t length = toWide(name).size();
    if (length > 255 || toWide(withoutSeparator(folder)).size() + 1 + length >= kMaxPath)
        return "слишком длинное имя";
    return std::nullopt;
}

namespace {

// Lets through the members that may land in `target`, and the first of names that repeat.
MemberFilter plainMemberFilter(const std::string& target, std::set<std::wstring>& seen) {
    return [&target, &seen](const CabinetMember& m) -> std::optional<std::string> {
        if (auto reason = memberRefusal(m.name, target))
            return reason;
        if (!seen.insert(caseKey(m.name)).second)
            return std::string("имя повторяется в пакете");
        return std::nullopt;
    };
}

} // namespace

std::optional<FileError> unpackPlainMembers(const std::string& package, const std::string& folder,
                                            const std::string& target, ExtractedCabinet& result,
                                            const CabinetProgress& progress) {
    std::set<std::wstring> seen;
    return extractCabinet(package, folder, plainMemberFilter(target, seen), result, progress);
}

std::optional<FileError> unpackPlainMembersToMemory(const std::string& package, const std::string& target,
                                                    std::int64_t limit, std::vector<UnpackedMember>& members,
                                                    ExtractedCabinet& result) {
    std::set<std::wstring> seen;
    return extractCabinetToMemory(package, plainMemberFilter(target, seen), limit, members, result);
}

std::optional<FileError> WritePackageList(FileSystem& files, const std::string& folder,
                                          std::vector<std::string>& names, std::int64_t& bytes) {
    std::string listed = withoutSeparator(folder) + "\\";
    return files.listFolder(listed, [&](const FolderEntry& e) {
        if (!e.folder && !isPackingByProduct(e.name) && !isPackageList(e.name)) {
            names.push_back(e.name);
            bytes += e.size;
        }
        return true;
    });
}

void removeStaleStagingFolders(FileSystem& files, const std::string& temp) {
    static constexpr std::string_view kStems[] = {"KW_Compare_", "KW_Check_", "KW_Verify_",
                                                  "KW_Open_",    "KW_Pack_",  "KW_Library_"};
    std::vector<std::string> stale;
    files.listFolder(withoutSeparator(temp) + "\\", [&](const FolderEntry& e) {
        for (std::string_view stem : kStems) {
            if (!e.folder || e.name.size() <= stem.size() || !e.name.starts_with(stem))
                continue;
            std::size_t end = e.name.find('_', stem.size());
            std::string number = e.name.substr(stem.size(), end - stem.size());
            if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos ||
                number.size() > 10)
                continue;
            unsigned id = static_cast<unsigned>(std::stoull(number));
            if (id != currentProcessId() && !processRunning(id))
                stale.push_back(e.name);
        }
        return true;
    });
    for (const std::string& name : stale)
        files.deleteFolderTree(withoutSeparator(temp) + "\\" + name);
}

std::string ResultPackages::stagingFolder(const std::string& stem) {
    return engine_.folders().GetTempDirectory() + stem + "_" + std::to_string(currentProcessId());
}

std::string ResultPackages::now() {
    SystemInfo& system = engine_.platform().system;
    return system.longTime(system.now());
}

SaveOutcome ResultPackages::SavePackage(const std::string& folder) {
    FileSystem& files = engine_.platform().files;
    EventLog& log = engine_.eventLog();
    TextBuffer& timing = engine_.timingLog();
    WorkFolders& work = engine_.folders();
    const std::string workFolder = work.folderPath(kWorkFolder);

    // Console tools of the run may still be writing: a package never holds a half-written file.
    engine_.waitForConsoleProcesses();

    std::vector<std::string> names;
    std::int64_t bytes = 0;
    if (auto error = WritePackageList(files, workFolder, names, bytes)) {
        // A package without some of the results would be taken for the whole of them.
        log.append("[!!] Не удалось получить список файлов каталога " + workFolder +
                   " ошибка, с сообщением: " + error->message);
        return {SaveResult::NotListed, "",
                "Не удалось получить список файлов каталога " + workFolder + ": " + error->message};
    }
    if (bytes > kCabinetCapacity) {
        std::string reason = "Результаты занимают " + std::to_string(bytes / (1024 * 1024)) +
                             " МБ, а в один файл пакета помещается не более " +
                             std::to_string(kCabinetCapacity / (1024 * 1024)) +
                             " МБ. Пакет не создан; результаты остаются в каталоге " + workFolder + ".";
        log.append("\r\n[!!] " + reason);
        return {SaveResult::TooLarge, "", reason};
    }

    const bool mask = engine_.options().get(Option::HidePasswords);
    for (const char* name : {"KW_Scan_CAB.txt", "Archive.TXT", "setup.inf"}) {
        std::string path = work.workPath(name);
        if (files.plainFileExists(path))
            files.deleteFile(path);
    }
    // Without masking there is no list of masked values: one left from an earlier save would claim what
    // this package does not do.
    if (!mask && files.plainFileExists(work.workPath(kMaskedListFile)))
        files.deleteFile(work.workPath(kMaskedListFile));
    const std::string staging = stagingFolder("KW_Pack");
    files.deleteFolderTree(staging);
    if (mask && !files.createFolder(staging)) {
        std::string reason = "Не удалось создать каталог " + staging + " для файлов со скрытыми паролями";
        log.append("[!!] " + reason);
        return {SaveResult::NotPacked, "", reason};
    }

    SystemInfo& system = engine_.platform().system;
    LocalTime at = system.now();
    std::string package = withoutSeparator(folder) + "\\" +
                          packageFileName(system.computerName(), system.shortDate(at), system.longTime(at));
    std::string cabinet = work.workPath(kCabinetFile);
    std::optional<FileError> error;
    std::size_t memberCount = 0, maskedValues = 0;
    {
        // Each file is hashed, and masked when it must be, on a thread of its own while the cabinet packs
        // those that are ready; the two lists come last.
        PackageMembers members(files, workFolder, names, mask, staging);
        files.writeFile(work.workPath(kDirectiveFile), utf8ToAnsi(directiveText(members.packedNames())));
        // The folder being packed; the program no longer makes it its current folder, which would keep it
        // from being deleted when the program closes.
        log.append(" ");
        log.append("текущий каталог - " + collapseSeparators(workFolder));

        log.append("\r\nПодготовка файла. Пожалуйста подождите...");
        std::string preparing = "Подготовка файла. Пожалуйста подождите - [" + now() + "]";
        timing.append(preparing);
        observer_.topicChanged(preparing);
        observer_.progressCaptionChanged("Подготовка файлов");

        int shown = -1;
        error = writeCabinet(
            cabinet, [&](std::optional<FileError>& stop) { return members.next(stop); }, bytes, kDiskLabel,
            [&](std::int64_t done, std::int64_t total) {
                int percent =
                    total > 0 ? static_cast<int>(std::min<std::int64_t>(done * 100 / total, 100)) : 100;
                if (percent != shown)
                    observer_.progressChanged(shown = percent);
                return true;
            });
        memberCount = members.members().size();
        maskedValues = members.maskedValues();
    }
    files.deleteFolderTree(staging);
    observer_.progressChanged(0);
    observer_.progressCaptionChanged("");
    if (error) {
        timing.append("Не удалось создать файл [" + now() + "]");
        log.append("\r\nФайл \"KWScan.CAB\" не найден.");
        log.append("[!!] Не удалось создать файл " + cabinet + " ошибка, с сообщением: " + error->message);
        observer_.topicChanged("Не удалось создать файл пакета");
        return {SaveResult::NotPacked, package, "Не удалось создать файл пакета: " + error->message};
    }
    log.append("Состав пакета записан в " + std::string(kManifestFile) + ": файлов - " +
               std::to_string(memberCount > 0 ? memberCount - 1 : 0));
    if (mask)
        log.append("Скрыто значений паролей, ключей и токенов: " + std::to_string(maskedValues) +
                   " (список - " + kMaskedListFile + ")");
    else
        log.append("Пароли в пакете не скрыты: настройка \"Скрывать пароли в пакете\" выключена");
    return copyPackage(package, false);
}

SaveOutcome ResultPackages::savePackageAs(const std::string& path) {
    return copyPackage(path, true);
}

SaveOutcome ResultPackages::copyPackage(const std::string& to, bool replace) {
    FileSystem& files = engine_.platform().files;
    EventLog& log = engine_.eventLog();
    TextBuffer& timing = engine_.timingLog();
    WorkFolders& work = engine_.folders();
    std::string cabinet = work.workPath(kCabinetFile);
    if (!files.plainFileExists(cabinet)) {
        log.append("\r\nФайл \"KWScan.CAB\" не найден.");
        return {SaveResult::NotPacked, to, "Файл пакета не найден: " + cabinet};
    }
    auto error = replace ? files.copyFile(cabinet, to) : files.copyFileNoReplace(cabinet, to);
    if (error) {
        std::string failed = "Копирование не удалось. Пожалуйста, попробуйте повторить сохранение.";
        log.append("\r\n" + failed);
        log.append("[!!] " + to + " ошибка, с сообщением: " + error->message);
        timing.append(failed);
        observer_.progressCaptionChanged("");
        // The status says what happened: a failed copy is no written file.
        observer_.topicChanged("Копирование не удалось");
        return {SaveResult::CopyFailed, to, "Не удалось записать файл " + to + ": " + error->message};
    }
    std::string folder = to.substr(0, to.find_last_of('\\'));
    std::string copied = "Файл скопирован: \"" + folder + "\" - [" + now() + "]";
    log.append("\r\n" + copied);
    timing.append(copied);
    timing.append(" ");
    observer_.topicChanged(copied);

    files.deleteFile(cabinet);
    std::string store = work.workPath("CabinetStore");
    if (files.folderExists(store)) {
        bool empty = true;
        files.listFolder(store + "\\", [&](const FolderEntry&) { return empty = false; });
        if (empty)
            files.deleteFolderTree(store);
    }
    files.deleteFile(work.workPath(kDirectiveFile));
    observer_.topicChanged("Файл записан");
    return {SaveResult::Saved, to, ""};
}

OpenOutcome ResultPackages::OpenPackage(const std::string& package, const char* targetFolder) {
    FileSystem& files = engine_.platform().files;
    EventLog& log = engine_.eventLog();
    WorkFolders& work = engine_.folders();
    const std::string target = work.folderPath(targetFolder);
    // The package is read into a folder of its own first: the target keeps its content until the
    // whole package has been read. The folder is this process's: another instance opening a package at
    // the same time reads into its own.
    const std::string staging = stagingFolder("KW_Open");

    log.append(" ");
    log.append("открываем файл - " + package);
    OpenOutcome outcome;
    auto fail = [&](const std::string& reason) {
        files.deleteFolderTree(staging);
        log.append("[!!] Не удалось открыть файл \"" + package + "\" ошибка, с сообщением: " + reason);
        std::string name = package.substr(package.find_last_of('\\') + 1);
        observer_.topicChanged("Не удалось открыть файл " + name + ": " + reason);
        outcome.reason = reason;
        return outcome;
    };
    if (!files.plainFileExists(package))
        return fail("файл не найден");
    files.deleteFolderTree(staging);
    if (!files.createFolder(staging))
        return fail("не удалось создать каталог " + staging);

    ExtractedCabinet extracted;
    int shown = -1;
    auto error =
        unpackPlainMembers(package, staging, target, extracted, [&](std::int64_t done, std::int64_t total) {
            int percent = total > 0 ? static_cast<int>(std::min<std::int64_t>(done * 100 / total, 100)) : 100;
            if (percent != shown)
                observer_.progressChanged(shown = percent);
            return true;
        });
    observer_.progressChanged(0);
    if (error)
        return fail(error->message);
    for (const auto& [name, reason] : extracted.refused)
        log.append("[!!] Файл пакета \"" + name + "\" не открыт: " + reason);
    outcome.refused = extracted.refused;
    // Nothing to show: the open results stay, as for a damaged package.
    if (extracted.written.empty())
        return fail(extracted.refused.empty() ? "в пакете нет ни одного файла"
                                              : "в пакете нет ни одного файла, который можно открыть");
    observer_.topicChanged("Проверка состава пакета...");
    outcome.check = checkUnpackedPackage(files, staging, extracted.written, extracted.refused);

    work.DeleteFolderTree(target);
    log.append("\r\nПеред открытием файла очищен временный каталог KW_Temp");
    work.CreateWorkFolder(targetFolder);
    // What could not be deleted would mix with the package's files: say which they are.
    files.listFolder(target + "\\", [&](const FolderEntry& e) {
        log.append("[!!] Не удалось удалить из каталога " + target + ": " + e.name);
        return true;
    });
    for (const std::string& name : extracted.written) {
        if (auto moved = files.moveFile(staging + "\\" + name, target + "\\" + name))
            log.append("[!!] " + target + "\\" + name + " ошибка, с сообщением: " + moved->message);
    }
    files.deleteFolderTree(staging);

    std::string loaded = "Загружена информация из файла \"" + package + "\" - [" + now() + "]";
    log.append("\r\n" + loaded);
    engine_.timingLog().append(loaded);
    engine_.timingLog().append(" ");
    for (const std::string& line : checkLogLines(outcome.check, package))
        log.append(line);
    int differing = outcome.check.differing();
    observer_.topicChanged(
        differing == 0 ? loaded
                       : loaded + " | Не совпадают с составом пакета файлов: " + std::to_string(differing));
    outcome.opened = true;
    return outcome;
}

} // namespace kw

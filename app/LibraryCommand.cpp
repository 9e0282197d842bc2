#include "app/LibraryCommand.h"

#include <map>

#include "app/CommandLineTools.h"
#include "app/CompareCommand.h"
#include "app/LibraryPlaceFromSettings.h"
#include "app/RunFindings.h"
#include "library/LibraryReport.h"
#include "library/PackageIntake.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"

namespace kw {
namespace {

constexpr const char* kUsage =
    "Использование: KW_Scan.exe library add [/db <библиотека>] <пакет или каталог>...\r\n"
    "               KW_Scan.exe library find [/db <библиотека>] [/computer <имя>] [/product <продукт>] "
    "[/version <версия>] [/finding <код>] [/file <имя файла>] [/md5 <сумма>] <отчёт .tsv или .html>\r\n"
    "               KW_Scan.exe library changes [/db <библиотека>] <пакет> <отчёт .html или .tsv>\r\n"
    "<библиотека>: путь файла SQLite или odbc:<строка подключения ODBC>";

struct Arguments {
    std::string verb, db;
    std::map<std::string, std::string> options; // the switch's name in lower case, without "/" or "--"
    std::vector<std::string> rest;
    std::string error;
};

bool isSwitch(const std::string& arg) {
    return (arg.size() > 1 && arg[0] == '/') || arg.starts_with("--");
}

Arguments parse(const std::vector<std::string>& args, std::initializer_list<std::string_view> known) {
    Arguments a;
    if (args.size() < 2)
        return a.error = "не указано действие", a;
    a.verb = foldedName(args[1]);
    for (size_t i = 2; i < args.size(); ++i) {
        if (!isSwitch(args[i])) {
            a.rest.push_back(args[i]);
            continue;
        }
        std::string name = foldedName(args[i].substr(args[i][0] == '/' ? 1 : 2));
        bool allowed = name == "db" || std::find(known.begin(), known.end(), name) != known.end();
        if (!allowed)
            return a.error = "неизвестный ключ " + args[i], a;
        if (i + 1 >= args.size())
            return a.error = "после ключа " + args[i] + " нет значения", a;
        (name == "db" ? a.db : a.options[name]) = args[++i];
    }
    return a;
}

std::string now() {
    return libraryTimestamp(windowsSystemInfo());
}

std::string stagingFor(FileSystem& files, int n) {
    return files.tempDirectory() + "KW_Library_" + std::to_string(currentProcessId()) + "_" +
           std::to_string(n);
}

bool wantsHtml(const std::string& report) {
    size_t dot = report.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : foldedName(report.substr(dot));
    return ext == ".html" || ext == ".htm";
}

int add(PackageLibrary& library, const Arguments& a) {
    FileSystem& files = windowsFileSystem();
    if (a.rest.empty()) {
        tellStandardError(kUsage);
        return 2;
    }
    std::vector<std::string> missing;
    std::vector<std::string> packages = packagesUnder(files, a.rest, missing);
    int added = 0, there = 0, refused = 0;
    for (const std::string& m : missing) {
        tellStandardOutput(m + ": отклонён: файл или каталог не найден");
        ++refused;
    }
    PackageIntake intake(files, library, stagingFor(files, 1), &builtInEditionLookup());
    intake.addAll(packages, now, [&](const std::string& package, const IntakeOutcome& outcome) {
        tellStandardOutput(package + ": " + intakeText(outcome));
        (outcome.state == IntakeState::Added          ? added
         : outcome.state == IntakeState::AlreadyThere ? there
                                                      : refused)++;
        return true;
    });
    tellStandardOutput("Всего пакетов: " + std::to_string(added + there + refused) +
                       ", добавлено: " + std::to_string(added) + ", уже были: " + std::to_string(there) +
                       ", отклонено: " + std::to_string(refused));
    return refused ? 1 : 0;
}

int find(PackageLibrary& library, const Arguments& a, const LibraryPlace& place) {
    if (a.rest.size() != 1) {
        tellStandardError(kUsage);
        return 2;
    }
    auto option = [&](const char* name) {
        auto it = a.options.find(name);
        return it == a.options.end() ? std::string() : it->second;
    };
    LibraryFilter filter{.computer = option("computer"),
                         .product = option("product"),
                         .version = option("version"),
                         .finding = option("finding"),
                         .file = option("file"),
                         .hash = option("md5")};
    std::vector<LibraryPackage> found = library.find(filter);
    std::string asked;
    for (const auto& [name, value] : a.options)
        asked += (asked.empty() ? "/" : ", /") + name + " " + value;
    const std::string& report = a.rest[0];
    std::string text =
        wantsHtml(report) ? libraryReportHtml(found, asked, place.shown()) : libraryReportTsv(found);
    if (!windowsFileSystem().writeFile(report, text)) {
        tellStandardError("Не удалось записать отчёт \"" + report + "\"");
        return 2;
    }
    tellStandardOutput("Найдено пакетов: " + std::to_string(found.size()));
    return found.empty() ? 1 : 0;
}

int changes(PackageLibrary& library, const Arguments& a) {
    FileSystem& files = windowsFileSystem();
    if (a.rest.size() != 2) {
        tellStandardError(kUsage);
        return 2;
    }
    const std::string& path = a.rest[0];
    PackageIntake intake(files, library, stagingFor(files, 1), &builtInEditionLookup());
    IntakeOutcome outcome = intake.add(path, now());
    if (outcome.state == IntakeState::Refused) {
        tellStandardError("Пакет \"" + path + "\" " + intakeText(outcome));
        return 2;
    }
    std::optional<LibraryPackage> current = library.package(outcome.id);
    if (!current)
        return tellStandardError("Пакет \"" + path + "\" не найден в библиотеке"), 2;
    if (current->collectedOrder.empty())
        return tellStandardError("В пакете \"" + path +
                                 "\" не указана дата сбора: предыдущий пакет не найти"),
               2;
    std::optional<LibraryPackage> before = library.previous(*current);
    if (!before) {
        tellStandardError("В библиотеке нет пакета компьютера " + current->computer + ", собранного раньше " +
                          current->collected);
        return 2;
    }
    if (!files.plainFileExists(before->sourcePath)) {
        tellStandardError("Предыдущий пакет компьютера " + current->computer + " (" + before->collected +
                          ") не найден: " + before->sourcePath);
        return 2;
    }
    UnpackedPackage earlier(files, stagingFor(files, 2)), later(files, stagingFor(files, 3));
    const std::string& earlierPath = before->sourcePath;
    for (auto [package, side] : {std::pair{&earlierPath, &earlier}, std::pair{&path, &later}}) {
        if (auto error = side->unpack(*package)) {
            tellStandardError("Не удалось открыть файл \"" + *package + "\": " + *error);
            return 2;
        }
    }
    tellStandardOutput("Сравнение с пакетом " + before->fileName + " (" + before->collected + ")");
    return reportComparison(earlier.folder(), later.folder(), before->sourcePath, path, a.rest[1],
                            NoiseOptions{});
}

} // namespace

int runLibraryCommand(const std::vector<std::string>& args) {
    Arguments a = parse(args, {"computer", "product", "version", "finding", "file", "md5"});
    if (!a.error.empty() || (a.verb != "add" && a.verb != "find" && a.verb != "changes")) {
        if (!a.error.empty())
            tellStandardError("library: " + a.error);
        tellStandardError(kUsage);
        return 2;
    }
    LibraryPlace place = a.db.empty() ? rememberedLibraryPlace(windowsFileSystem()) : LibraryPlace{a.db};
    std::unique_ptr<PackageLibrary> library;
    try {
        library = std::make_unique<PackageLibrary>(place);
    } catch (const SqlError& e) {
        tellStandardError("Не удалось открыть библиотеку " + place.shown() + ": " + e.what());
        return 2;
    }
    try {
        if (a.verb == "add")
            return add(*library, a);
        if (a.verb == "find")
            return find(*library, a, place);
        return changes(*library, a);
    } catch (const SqlError& e) {
        tellStandardError("Ошибка библиотеки " + place.shown() + ": " + e.what());
        return 2;
    }
}

} // namespace kw

// The walk over a section's rows and the pattern steps the product sections share.
#include "products/ProductSection.h"

#include "core/CollectionRun.h"
#include "core/RegistryExport.h"
#include "products/LogCopies.h"

namespace kw {
namespace {

constexpr std::size_t index(Folder f) {
    return static_cast<std::size_t>(f);
}

std::string joinKey(std::string_view key, std::string_view sub) {
    std::string k(key);
    if (!k.empty() && k.back() != '\\')
        k += '\\';
    return k + std::string(sub);
}

} // namespace

ProductSection::ProductSection(CollectionRun& run)
    : run_(run), capture_(run), inventory_(run), reader_(run) {}

bool ProductSection::on(Option option) const {
    return run_.options().get(option);
}

const std::string& ProductSection::folder(Folder f) {
    std::optional<std::string>& slot = folders_[index(f)];
    if (slot)
        return *slot;
    switch (f) {
    case Folder::Common:
        slot = readString(RegistryRoot::LocalMachine, kTavirKey, "Peltrand", "CommonPath");
        break;
    case Folder::Program:
        slot = readString(RegistryRoot::LocalMachine, kTavirKey, "Peltrand", "Path");
        break;
    case Folder::AllUsersData:
        slot = capture_.GetSpecialFolder(kCsidlCommonAppData);
        break;
    case Folder::UserData:
        slot = capture_.GetSpecialFolder(kCsidlAppData);
        break;
    case Folder::Temp:
        slot = run_.folders().GetTempDirectory();
        break;
    case Folder::MasterCache:
        slot = readString(RegistryRoot::LocalMachine, "\\SOFTWARE\\TAVIR\\", "Complex", "CODPath");
        break;
    case Folder::SharedFiles:
        slot = capture_.GetSpecialFolder(kCsidlProgramFilesCommon);
        break;
    case Folder::Windows:
        slot = capture_.GetSpecialFolder(kCsidlWindows);
        break;
    case Folder::Work:
        slot = run_.folders().workFolderPath();
        break;
    case Folder::CommonFiles:
        slot = readString(RegistryRoot::LocalMachine, "\\SOFTWARE\\Microsoft\\Windows", "CurrentVersion",
                          "CommonFilesDir");
        break;
    default:
        slot = std::string();
        break; // the section's own folders start empty
    }
    return *slot;
}

void ProductSection::setFolder(Folder f, std::string value) {
    folders_[index(f)] = std::move(value);
}

void ProductSection::walk(std::span<const CaptureRow> rows) {
    for (const CaptureRow& row : rows) {
        run_.processMessages();
        if (run_.running() && run_.stopFlag())
            return;
        capture(row);
    }
}

void ProductSection::walk(std::span<const BranchRow> rows) {
    for (const BranchRow& row : rows)
        exportBranch(row);
}

void ProductSection::capture(const CaptureRow& row) {
    if (row.gate && !on(*row.gate))
        return;
    if (!row.heading.empty())
        blue("\r\n" + std::string(row.heading));
    std::string base = folder(row.folder) + std::string(row.sub);
    std::string file(row.file), prefix(row.prefix);
    switch (row.kind) {
    case Capture::ByPath:
        captureByPath(row);
        break;
    case Capture::ByFolder:
        capture_.CaptureRegisteredFile(RegistryRoot::LocalMachine, "", "", folder(row.folder),
                                       std::string(row.sub), file, prefix, "");
        break;
    case Capture::Locked:
        capture_.CaptureLockedFile(collapseSeparators(base), prefix, file);
        break;
    case Capture::Unicode:
        capture_.CaptureUnicodeFile(base, prefix, file);
        break;
    case Capture::Logs:
        if (row.logs)
            CopyLogFiles(*this, *row.logs, base, prefix, file);
        break;
    case Capture::ExactCopy:
        exactCopy(base, file);
        break;
    case Capture::Permissions:
        dumpPermissions(file.empty() ? base : base + "\\" + file, prefix);
        break;
    case Capture::Inventory:
        inventory_.InventoryFolder(base, prefix);
        break;
    case Capture::Listing:
        listImportantFiles(base, prefix, row.parts);
        break;
    case Capture::PackageInventory: {
        std::string path = readString(RegistryRoot::LocalMachine, "\\SOFTWARE\\TAVIR\\Setup", file, "path");
        if (!path.empty())
            inventory_.InventoryFolder(path, prefix);
        break;
    }
    case Capture::Step:
        if (row.step)
            row.step(*this);
        break;
    }
}

void ProductSection::listImportantFiles(const std::string& top, const std::string& tag,
                                        std::span<const std::string_view> parts) {
    if (!on(Option::ImportantShared)) {
        inventory_.InventoryFolder(top, tag);
        return;
    }
    inventory_.InventoryFolderPart(top, tag, InventoryPart::TopLevel);
    for (std::string_view part : parts) {
        run_.processMessages();
        if (run_.running() && run_.stopFlag())
            return;
        // The folder values may end in a separator and the parts start with one: one is enough.
        inventory_.InventoryFolderPart(collapseSeparators(top + std::string(part)), tag,
                                       InventoryPart::AppendTree);
    }
}

void ProductSection::captureByPath(const CaptureRow& row) {
    std::string base = folder(row.folder) + std::string(row.sub);
    if (row.orFolder != Folder::None && !fileExists(base + "\\" + std::string(row.file)))
        base = folder(row.orFolder) + std::string(row.orSub);
    capture_.CaptureFile(base, std::string(row.mark), std::string(row.prefix), std::string(row.file),
                         row.header);
}

void ProductSection::exactCopy(const std::string& folder, const std::string& file) {
    std::string source = folder + "\\" + file;
    if (!fileExists(source)) {
        line("[-] [" + source + "] x \"" + file + "\"");
        return;
    }
    if (auto error = run_.platform().files.copyFileNoReplace(source, workPath(file)))
        line("[" + source + "] - не удалось скопировать файл, ошибка = " + std::to_string(error->code));
    else
        line("[" + source + "] ---> \"" + file + "\"");
}

void ProductSection::exportBranch(const BranchRow& row) {
    RegistryExporter exporter(run_);
    std::string key(row.key), target(row.target);
    if (row.view == RegistryView::Wow64_64)
        exporter.ExportRegistryBranch64(row.root, key, target);
    else
        exporter.ExportRegistryBranch(row.root, key, target);
    const char* lead = row.line == BranchLine::Plain      ? ""
                       : row.line == BranchLine::Indented ? "    "
                                                          : "    (64)";
    std::string text = lead;
    text.append("[").append(registryRootName(row.root)).append("\\").append(key);
    text.append("] ---> \"").append(target).append("\"");
    line(text);
}

std::string ProductSection::readString(RegistryRoot root, const std::string& key, const std::string& subkey,
                                       const std::string& valueName) {
    return reader_.ReadRegistryString(root, key, subkey, valueName);
}

std::string ProductSection::readVersion(std::string_view product) {
    return readString(RegistryRoot::LocalMachine, kTavirKey, std::string(product), "CurrentVersion");
}

std::string ProductSection::readInstallFolder(std::string_view product, const std::string& version,
                                              std::string_view valueName) {
    return readString(RegistryRoot::LocalMachine, joinKey(kTavirKey, product), version,
                      std::string(valueName));
}

std::string ProductSection::readInstallFolderOrDirectory(std::string_view product,
                                                         const std::string& version) {
    std::string folder = readInstallFolder(product, version);
    return folder.empty() ? readInstallFolder(product, version, "Directory") : folder;
}

void ProductSection::line(const std::string& text) {
    run_.eventLog().append(text);
}

void ProductSection::blue(const std::string& text) {
    EventLog& log = run_.eventLog();
    log.setColor(LogColor::Blue);
    log.append(text);
    log.setColor(LogColor::Black);
}

void ProductSection::debug(const std::string& text) {
    if (on(Option::Debug))
        line(text);
}

void ProductSection::banner(const std::string& text) {
    run_.LogBanner(text);
}

void ProductSection::dumpPermissions(const std::string& path, const std::string& tag) {
    inventory_.DumpPermissions(path, tag);
}

void ProductSection::notInstalled(std::string_view product) {
    line("Не могу получить список файлов " + std::string(product) + ", нет параметра реестра");
}

std::string ProductSection::fileDate(const std::string& path) {
    LocalTime t = run_.folders().FileDateOf(path).value_or(LocalTime{});
    return dateTimeText(run_.platform().system, t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string ProductSection::fileAndVersionLine(const std::string& path) {
    return describeFile(run_, path, FileVersionTextOrZero(run_.platform().files, path));
}

std::string ProductSection::fileLine(const std::string& prefix, const std::string& path) {
    return prefix + describeFile(run_, path, FileVersionText(run_.platform().files, path));
}

void ProductSection::fileFacts(const std::string& path) {
    line(" ");
    blue("Файл: " + path);
    blue("Размер файла в байтах: " + std::to_string(run_.folders().FileSizeOf(path)));
    blue("Дата создания файла: " + fileDate(path));
}

bool ProductSection::fileExists(const std::string& path) {
    return isAbsolutePath(path) && run_.platform().files.plainFileExists(path);
}

bool ProductSection::inWork(const std::string& name) {
    return fileExists(workPath(name));
}

std::string ProductSection::workPath(const std::string& name) {
    return run_.folders().workPath(name);
}

} // namespace kw

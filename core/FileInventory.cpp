// The inventory walk: entries in the order the file system returns them, subfolder rows where the
// subfolder is met, reparse points never entered. Rows are computed by a few worker threads (the
// MD5 and the opening of each file dominate) and written in walk order.
#include "core/FileInventory.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "core/CollectionRun.h"
#include "core/ConsoleCapture.h"
#include "platform/Digest.h"
#include "platform/PeVersion.h"
#include "platform/Text.h"

namespace kw {
namespace {

std::string versionText(const unsigned v[4], const char* format) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v[0], v[1], v[2], v[3]);
    return buf;
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '\\')
        folder.push_back('\\');
    return folder;
}

std::string dateOf(CollectionRun& run, const std::string& path) {
    LocalTime t = run.platform().files.fileDate(path).value_or(LocalTime{});
    return dateTimeText(run.platform().system, t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string hexDigest(const std::array<std::uint8_t, 16>& digest) {
    std::string out;
    char buf[3];
    for (auto b : digest) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

// What one thread reuses from row to row: the read buffer, and the date texts, because files installed
// together share their time and formatting a date through the locale is the slow part of a row.
struct RowScratch {
    std::string block;
    PeVersionScanner versions;
    std::unordered_map<std::int64_t, std::string> dates;

    const std::string& dateText(SystemInfo& system, const LocalTime& t) {
        if (dates.size() > 65536)
            dates.clear();
        std::int64_t key =
            ((((t.year * 13LL + t.month) * 32 + t.day) * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
        auto [it, added] = dates.try_emplace(key);
        if (added)
            it->second = dateTimeText(system, t.year, t.month, t.day, t.hour, t.minute, t.second);
        return it->second;
    }
};

// One table row: name, size, date, version, md5, folder. The file is opened once: size and date come
// from the listing, and the version resource of a program file (one that starts with "MZ") is read
// from the bytes hashed, unless they do not settle it.
constexpr size_t kReadBlock = 1 << 20; // few reads a file: under Wine every read is a call into the system

std::string fixedVersionText(const FileVersion& v) {
    return versionText(v.file, "%d.%d.%d.%d");
}

// scratch: the calling thread's, reused from file to file.
std::string inventoryRow(CollectionRun& run, bool md5, const FolderEntry& entry, const std::string& folder,
                         RowScratch& scratch) {
    std::string& block = scratch.block;
    FileSystem& files = run.platform().files;
    std::string path = folder + entry.name;
    FileError err;
    std::unique_ptr<FileReader> in = files.openRead(path, err);
    bool opened = in != nullptr;
    std::int64_t size = opened ? entry.size : -1;
    if (block.size() < kReadBlock)
        block.resize(kReadBlock);
    // What the listing says the file holds and a page more, so that a small file comes in one read and
    // the system does not prepare a large buffer for it.
    size_t want = static_cast<size_t>(
        std::min<std::int64_t>(kReadBlock, (std::max<std::int64_t>(entry.size, 0) / 4096 + 1) * 4096));
    std::int64_t got = in ? in->read(block.data(), want) : -1;
    bool program = got >= 2 && block[0] == 'M' && block[1] == 'Z';
    PeVersionScanner& pe = scratch.versions;
    if (program) {
        pe.reset();
        pe.feed(block.data(), static_cast<size_t>(got));
    }
    std::string sum = "00";
    if (md5) {
        Md5 hash;
        while (got > 0) {
            hash.update(block.data(), static_cast<size_t>(got));
            got = in->read(block.data(), want);
            if (program && got > 0)
                pe.feed(block.data(), static_cast<size_t>(got));
        }
        sum = got < 0 || !hash.ok() ? "-1" : hexDigest(hash.finish());
    }
    in.reset();
    LocalTime t = entry.modified ? *entry.modified : files.fileDate(path).value_or(LocalTime{});
    const std::string& date = scratch.dateText(run.platform().system, t);
    std::string version;
    if (!opened) {
        // A file that cannot be opened may still be a program file: its version is asked all the same.
        version = FileVersionText(files, path);
    } else if (program) {
        PeVersionAnswer answer = pe.answer();
        if (answer.state == PeVersionAnswer::Found)
            version = fixedVersionText(answer.version);
        else if (answer.state == PeVersionAnswer::Unknown)
            version = FileVersionText(files, path);
    }
    return entry.name + "\t" + std::to_string(size) + "\t" + date + "\t" + version + "\t" + sum + "\t" +
           folder;
}

} // namespace

std::string FileVersionText(FileSystem& files, const std::string& path) {
    auto v = files.fileVersion(path);
    return v ? fixedVersionText(*v) : std::string();
}

std::string FileVersionTextOrZero(FileSystem& files, const std::string& path) {
    auto v = files.fileVersion(path);
    return v ? versionText(v->product, "%u.%u.%u.%u") : std::string("00");
}

std::string fileMd5(FileSystem& files, const std::string& path) {
    FileError err;
    std::unique_ptr<FileReader> in = files.openRead(path, err);
    if (!in)
        return {};
    Md5 md5;
    if (!md5.ok())
        return {};
    std::string block(1 << 18, '\0');
    std::int64_t got;
    while ((got = in->read(block.data(), block.size())) > 0)
        md5.update(block.data(), static_cast<size_t>(got));
    if (got < 0)
        return {};
    return hexDigest(md5.finish());
}

std::string dateTimeText(SystemInfo& system, int year, int month, int day, int hour, int minute, int second) {
    LocalTime t{year, month, day, hour, minute, second, 0};
    std::string text = system.shortDate(t);
    if (hour || minute || second) {
        text += ' ';
        text += system.longTime(t);
    }
    return text;
}

std::string describeFile(CollectionRun& run, const std::string& path, const std::string& version) {
    return path + "\t - " + std::to_string(run.folders().FileSizeOf(path)) + " байт  -  \t" +
           dateOf(run, path) + "\t - версия: " + version;
}

// Rows in walk order, computed on worker threads; at most a bounded number wait at any time. Files
// go to the workers in batches: every hand-over and every wake-up is a round trip to the system
// (under Wine, to its server), and per file they cost as much as opening the file.
class FileInventory::RowPipeline {
  public:
    RowPipeline(CollectionRun& run, unsigned threads, std::function<void(std::string)> sink)
        : run_(run), md5_(run.options().get(Option::Md5)), sink_(std::move(sink)) {
        for (unsigned i = 0; i < threads; ++i)
            workers_.emplace_back([this] { work(); });
    }
    ~RowPipeline() {
        drain();
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        for (auto& w : workers_)
            w.join();
    }

    void add(const FolderEntry& entry, const std::string& folder) {
        if (workers_.empty()) {
            sink_(inventoryRow(run_, md5_, entry, folder, scratch_));
            return;
        }
        if (!filling_)
            filling_ = std::make_shared<Batch>();
        filling_->files.push_back({entry, folder});
        if (filling_->files.size() >= kBatchFiles)
            submit();
    }

    void drain() {
        submit();
        flush(0);
    }

  private:
    struct File {
        FolderEntry entry;
        std::string folder;
    };
    struct Batch {
        std::vector<File> files;
        std::vector<std::string> rows;
        bool done = false;
    };
    static constexpr size_t kBatchFiles = 16;
    static constexpr size_t kMaxWaiting = 8; // batches

    void submit() {
        if (!filling_)
            return;
        bool wake;
        {
            std::lock_guard lock(mutex_);
            order_.push_back(filling_);
            queue_.push_back(filling_);
            wake = idle_ > 0;
        }
        filling_.reset();
        if (wake)
            wake_.notify_one();
        flush(kMaxWaiting);
    }

    // Hands finished rows to the sink in order, waiting until no more than `keep` batches are outstanding.
    void flush(size_t keep) {
        for (;;) {
            std::shared_ptr<Batch> front;
            {
                std::unique_lock lock(mutex_);
                if (order_.empty())
                    return;
                if (!order_.front()->done) {
                    if (order_.size() <= keep)
                        return;
                    waiting_ = true;
                    done_.wait(lock, [&] { return order_.front()->done; });
                    waiting_ = false;
                }
                front = order_.front();
                order_.pop_front();
            }
            for (std::string& row : front->rows)
                sink_(std::move(row));
        }
    }

    void work() {
        RowScratch scratch;
        for (;;) {
            std::shared_ptr<Batch> batch;
            {
                std::unique_lock lock(mutex_);
                ++idle_;
                wake_.wait(lock, [&] { return quit_ || !queue_.empty(); });
                --idle_;
                if (queue_.empty())
                    return;
                batch = queue_.front();
                queue_.pop_front();
            }
            std::vector<std::string> rows;
            rows.reserve(batch->files.size());
            for (const File& f : batch->files)
                rows.push_back(inventoryRow(run_, md5_, f.entry, f.folder, scratch));
            bool notify;
            {
                std::lock_guard lock(mutex_);
                batch->rows = std::move(rows);
                batch->done = true;
                notify = waiting_;
            }
            if (notify)
                done_.notify_all();
        }
    }

    CollectionRun& run_;
    bool md5_;
    std::function<void(std::string)> sink_;
    RowScratch scratch_;             // when rows are made on the walking thread
    std::shared_ptr<Batch> filling_; // the walk's batch not yet handed over
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::shared_ptr<Batch>> order_, queue_;
    std::vector<std::thread> workers_;
    unsigned idle_ = 0;    // workers waiting for a batch
    bool waiting_ = false; // the walk waits for the oldest batch
    bool quit_ = false;
};

// Every walk tells the run's listener of each file it lists (the standard-parts library recognises its
// component files there, whatever the inventory).
FileInventory::FileInventory(CollectionRun& run) : run_(run), onFile_(run.listedFileHook()) {}
FileInventory::~FileInventory() = default;

void FileInventory::setHashThreads(unsigned n) {
    hashThreads_ = n;
}

void FileInventory::list(const std::string& folderIn, bool recursive) {
    std::string folder = withSeparator(folderIn);
    run_.advanceProgressDots();
    auto failure = run_.platform().files.listFolder(folder, [&](const FolderEntry& e) {
        run_.processMessages();
        if (e.folder) {
            // Junctions and symbolic links are not entered: "C:\ProgramData" and user profiles hold
            // links that lead back up the tree.
            if (recursive && !e.reparsePoint)
                list(folder + e.name + "\\", true);
        } else {
            pipeline_->add(e, folder);
            if (onFile_)
                onFile_(e.name, folder);
        }
        return !recursive || !stopped();
    });
    if (failure)
        run_.eventLog().append("[!!] [Получить список файлов не удалось] [\"" + folder +
                               "\"] - EOSError ошибка, с сообщением: " + failure->message);
}

bool FileInventory::stopped() const {
    return inRun_ && run_.stopFlag();
}

void FileInventory::ListFilesRecursive(const std::string& folder) {
    bool top = !pipeline_;
    if (top)
        inRun_ = run_.running();                   // outside a run the stop flag stands set
    bool live = run_.options().get(Option::Debug); // with the debug option rows appear one by one
    if (top) {
        unsigned threads = hashThreads_ > 1 ? hashThreads_ : 0;
        pipeline_ = std::make_unique<RowPipeline>(run_, threads, [this, live](std::string row) {
            if (live)
                run_.captureBuffer().append(row);
            rows_.push_back(std::move(row));
        });
    }
    list(folder, true);
    if (top)
        pipeline_.reset();
}

void FileInventory::ListFilesFlat(const std::string& folder) {
    bool live = run_.options().get(Option::Debug);
    unsigned threads = hashThreads_ > 1 ? hashThreads_ : 0;
    pipeline_ = std::make_unique<RowPipeline>(run_, threads, [this, live](std::string row) {
        if (live)
            run_.captureBuffer().append(row);
        rows_.push_back(std::move(row));
    });
    list(folder, false);
    pipeline_.reset();
}

bool FileInventory::saveTable(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    if (!run_.options().get(Option::Debug))
        run_.captureBuffer().setLines(lines);
    return run_.platform().files.writeFile(run_.folders().workPath(name), utf8ToAnsi(text));
}

void FileInventory::startPermissionsDump(const std::string& folder, const std::string& name) {
    ConsoleCapture(run_).startProgram("cacls " + quoteArgument(folder), "(cmd)(" + name + ")cacls.txt");
}

void FileInventory::InventoryFolder(const std::string& folder, const std::string& name) {
    EventLog& log = run_.eventLog();
    std::string table = "(" + name + ")Files.csv";
    if (!isAbsolutePath(folder) || !run_.platform().files.folderExists(folder)) {
        log.append("[-] Не могу получить список файлов " + name + ", каталог [" + folder + "] не найден.");
        return;
    }
    log.append("Список файлов " + name + " в папке [" + folder + "] ---> \"" + table + "\"");
    run_.captureBuffer().clear();
    rows_ = {kInventoryHeader};
    ListFilesRecursive(folder);
    saveTable(table, rows_);
    rows_.clear();
    DumpPermissions(folder, name);
}

void FileInventory::DumpPermissions(const std::string& path, const std::string& name) {
    DumpPermissionsTo(path, "(cmd)(" + name + ")cacls.txt");
}

void FileInventory::DumpPermissionsTo(const std::string& path, const std::string& outputName) {
    run_.eventLog().append("Список безопасности: \"" + path + "\" > " + outputName);
    // cacls runs without the interpreter: "&", "%", "^" in a folder name cannot become commands.
    ConsoleCapture(run_).startProgram("cacls " + quoteArgument(path), outputName);
}

void FileInventory::ListFolderInto(const std::string& folder, const std::string& table) {
    run_.captureBuffer().clear();
    rows_ = {kInventoryHeader};
    ListFilesRecursive(folder);
    saveTable(table, rows_);
    rows_.clear();
}

void FileInventory::InventoryFolderPart(const std::string& folder, const std::string& name,
                                        InventoryPart part) {
    EventLog& log = run_.eventLog();
    FileSystem& files = run_.platform().files;
    std::string table = "(" + name + ")Files.csv";
    run_.captureBuffer().clear();
    rows_.clear();
    if (!isAbsolutePath(folder) || !files.folderExists(folder)) {
        log.append("[-] Не могу получить список файлов " + name + ", каталог [" + folder + "] не найден.");
    } else if (part == InventoryPart::TopLevel) {
        rows_ = {kInventoryHeader};
        ListFilesFlat(folder);
        saveTable(table, rows_);
        log.append("Список файлов " + name + " в папке [" + folder + "] ---> в файл \"" + table + "\"");
        startPermissionsDump(folder, name);
        log.append("Список безопасности: \"" + folder + "\" >  (cmd)(" + name + ")cacls.txt");
    } else if (files.plainFileExists(run_.folders().workPath(table))) {
        log.append("[++] Список файлов " + name + " в папке [" + folder + "] ---> дополнить файл \"" + table +
                   "\"");
        rows_ = splitLines(ansiToUtf8(files.readFile(run_.folders().workPath(table)).value_or("")));
        if (!rows_.empty() && rows_.back().empty())
            rows_.pop_back(); // the last line's own line end
        ListFilesRecursive(folder);
        saveTable(table, rows_);
    } else {
        log.append("[-] Списком файлов " + name + " в папке [" + folder +
                   "] ---> не удалось дополнить файл \"" + table + "\", т.к. файл не найден");
    }
    rows_.clear();
    run_.captureBuffer().clear();
}

void FileInventory::AddHotfixRow(const std::string& fileName, const std::string& folder,
                                 const std::string& label) {
    FileSystem& files = run_.platform().files;
    std::string table = run_.folders().workPath(kHotfixTable);
    std::vector<std::string> lines;
    if (files.plainFileExists(table)) {
        lines = splitLines(ansiToUtf8(files.readFile(table).value_or("")));
        if (!lines.empty() && lines.back().empty())
            lines.pop_back();
    } else {
        lines = {kHotfixHeader};
    }
    std::string dir = collapseSeparators(folder);
    std::string path = dir + fileName;
    lines.push_back(dir + "\t" + fileName + "\t" + label + "\t" + FileVersionText(files, path) + "\t" +
                    std::to_string(files.fileSize(path)) + "\t" + dateOf(run_, path));
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    files.writeFile(table, utf8ToAnsi(text));
}

} // namespace kw

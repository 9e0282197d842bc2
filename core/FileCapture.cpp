// The capture variants differ in their headers and log lines; the copying itself is shared and
// streamed in blocks.
#include "core/FileCapture.h"

#include <algorithm>

#include "core/CollectionRun.h"
#include "core/RegistryReaders.h"
#include "platform/Text.h"

namespace kw {
namespace {

constexpr std::size_t kBlock = 1 << 16;
constexpr std::size_t kPreviewBytes = 1 << 16; // how much of a copy the capture buffer shows

std::string headerOf(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& l : lines)
        out += utf8ToAnsi(l) + "\r\n";
    return out;
}

// Unicode text (by byte-order mark) to ANSI bytes, block by block; line ends become CR LF and the text
// ends at its first NUL, the way a text list loads and saves it.
class UnicodeToAnsi {
  public:
    // Returns false once the NUL that ends the text has been met.
    bool feed(std::string_view bytes, std::string& out) {
        pending_.append(bytes);
        if (!started_) {
            if (pending_.size() < 3 && !bytes.empty())
                return true;
            start();
        }
        std::string ansi;
        switch (kind_) {
        case Kind::Ansi:
            ansi.swap(pending_);
            break;
        case Kind::Utf8: {
            size_t cut = completeUtf8(pending_);
            ansi = utf8ToAnsi(std::string_view(pending_).substr(0, cut));
            pending_.erase(0, cut);
            break;
        }
        case Kind::Utf16Le:
        case Kind::Utf16Be: {
            size_t units = pending_.size() / 2;
            std::wstring w;
            w.reserve(units);
            for (size_t i = 0; i < units; ++i) {
                unsigned char a = static_cast<unsigned char>(pending_[2 * i]);
                unsigned char b = static_cast<unsigned char>(pending_[2 * i + 1]);
                w.push_back(static_cast<wchar_t>(kind_ == Kind::Utf16Le ? a | (b << 8) : (a << 8) | b));
            }
            size_t keep = pending_.size() % 2;
            // A high surrogate at the end waits for its partner in the next block.
            if (!w.empty() && w.back() >= 0xD800 && w.back() <= 0xDBFF) {
                w.pop_back();
                keep += 2;
            }
            pending_.erase(0, pending_.size() - keep);
            ansi = utf8ToAnsi(toUtf8(w));
            break;
        }
        }
        return emit(ansi, out);
    }
    void finish(std::string& out) {
        if (!started_)
            start();
        if (!pending_.empty() && kind_ != Kind::Utf16Le && kind_ != Kind::Utf16Be) {
            std::string rest = kind_ == Kind::Utf8 ? utf8ToAnsi(pending_) : pending_;
            pending_.clear();
            if (!emit(rest, out))
                return;
        }
        if (any_ && !lineEnded_)
            out += "\r\n";
    }

  private:
    enum class Kind { Ansi, Utf8, Utf16Le, Utf16Be };
    void start() {
        started_ = true;
        auto starts = [&](std::string_view bom) {
            return std::string_view(pending_).substr(0, bom.size()) == bom;
        };
        if (starts("\xFF\xFE"))
            kind_ = Kind::Utf16Le, pending_.erase(0, 2);
        else if (starts("\xFE\xFF"))
            kind_ = Kind::Utf16Be, pending_.erase(0, 2);
        else if (starts("\xEF\xBB\xBF"))
            kind_ = Kind::Utf8, pending_.erase(0, 3);
        else
            kind_ = Kind::Ansi;
    }
    static size_t completeUtf8(const std::string& s) {
        size_t n = s.size();
        for (size_t back = 1; back <= 3 && back <= n; ++back) {
            unsigned char c = static_cast<unsigned char>(s[n - back]);
            if ((c & 0xC0) == 0x80)
                continue;
            size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return need > back ? n - back : n;
        }
        return n;
    }
    bool emit(std::string_view ansi, std::string& out) {
        if (done_)
            return false;
        for (char c : ansi) {
            if (c == '\0') {
                done_ = true;
                return false;
            }
            any_ = true;
            if (c == '\n' && afterCr_) {
                afterCr_ = false;
                continue;
            }
            afterCr_ = c == '\r';
            if (c == '\r' || c == '\n') {
                out += "\r\n";
                lineEnded_ = true;
            } else {
                out.push_back(c);
                lineEnded_ = false;
            }
        }
        return true;
    }

    Kind kind_ = Kind::Ansi;
    std::string pending_;
    bool started_ = false, done_ = false, any_ = false, afterCr_ = false, lineEnded_ = false;
};

bool samePath(std::string a, std::string b) {
    a = collapseSeparators(a), b = collapseSeparators(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x < 0x80 && y < 0x80 ? std::tolower(x) != std::tolower(y) : x != y)
            return false;
    }
    return true;
}

} // namespace

void FileCapture::logError(const std::string& what, const std::string& path, const std::string& errorClass,
                           const std::string& message) {
    run_.eventLog().append("[!!] [" + what + "] [\"" + path + "\"] - " + errorClass +
                           " ошибка, с сообщением: " + message);
}

void FileCapture::showInCaptureBuffer(const std::string& header, const std::string& textStart) {
    TextBuffer& buffer = run_.captureBuffer();
    buffer.clear();
    buffer.setLines(splitLines(ansiToUtf8(header + textStart)));
}

FileCapture::Copy FileCapture::copyAsText(const std::string& source, const std::string& target,
                                          const std::string& header, std::string& error, bool emptyToo) {
    FileSystem& files = run_.platform().files;
    if (samePath(source, target)) {
        // Reading and writing one file would grow it until the drive is full.
        error = "EFCreateError ошибка, с сообщением: Копия и исходный файл совпадают";
        return Copy::WriteFailed;
    }
    FileError err;
    std::unique_ptr<FileReader> in = files.openRead(source, err);
    if (!in) {
        logError(" 1) Открыть файл не удалось", source, "EFOpenError", err.message);
        return Copy::ReadFailed;
    }
    std::string block(kBlock, '\0');
    std::int64_t got = in->read(block.data(), block.size());
    if (got < 0) {
        logError(" 1) Открыть файл не удалось", source, "EReadError", in->error().message);
        return Copy::ReadFailed;
    }
    if (got == 0 && !emptyToo)
        return Copy::Empty;
    std::unique_ptr<FileWriter> out = files.createWrite(target, err);
    if (!out) {
        error = "EFCreateError ошибка, с сообщением: " + err.message;
        return Copy::WriteFailed;
    }
    std::string preview;
    bool ended = false;
    bool ok = out->write(header);
    char last = header.empty() ? '\n' : header.back(); // nothing written yet needs no line break
    while (ok && got > 0 && !ended) {
        std::string_view chunk(block.data(), static_cast<size_t>(got));
        size_t nul = chunk.find('\0');
        if (nul != std::string_view::npos)
            chunk = chunk.substr(0, nul), ended = true;
        if (preview.size() < kPreviewBytes)
            preview.append(chunk.substr(0, kPreviewBytes - preview.size()));
        ok = out->write(chunk);
        if (!chunk.empty())
            last = chunk.back();
        if (ok && !ended)
            got = in->read(block.data(), block.size());
    }
    if (ok && got < 0) {
        logError(" 1) Открыть файл не удалось", source, "EReadError", in->error().message);
        out.reset();
        files.deleteFile(target); // a truncated copy must not pass for the whole file
        return Copy::ReadFailed;
    }
    // The text ends with one line break, as the capture buffer saves it: added only where missing.
    if (ok && last != '\n')
        ok = out->write(last == '\r' ? "\n" : "\r\n");
    if (!ok) {
        error = "EWriteError ошибка, с сообщением: " + out->error().message;
        return Copy::WriteFailed;
    }
    showInCaptureBuffer(header, preview);
    return Copy::Written;
}

bool FileCapture::fallBackToShellCopy(const std::string& source, const std::string& targetName) {
    // The fallback keeps the bytes unchanged and has no header, but the file reaches support.
    if (ShellCopyFile(source, run_.folders().workPath(targetName))) {
        run_.eventLog().append("[ 3)" + source + "] ---> \"" + targetName + "\"");
        return true;
    }
    run_.eventLog().append("[!!] [ 3) Скопировать файл не удалось][" + source + "] x " + targetName);
    return false;
}

void FileCapture::CaptureFile(const std::string& folder, const std::string& tag, const std::string& prefix,
                              const std::string& fileName, Header copyHeader) {
    EventLog& log = run_.eventLog();
    log.setColor(LogColor::Blue);
    log.append("\r\n" + fileName + " " + tag + " " + prefix + ": [" + folder + "]");
    log.setColor(LogColor::Black);

    std::string source = collapseSeparators(folder);
    if (!fileName.empty())
        source = collapseSeparators(source + "\\" + fileName);
    std::string targetName = prefix + fileName;
    if (!isAbsolutePath(source) || !run_.platform().files.plainFileExists(source)) {
        log.append("[-] [" + source + "]");
        return;
    }
    std::string target = run_.folders().workPath(targetName);
    std::string header = copyHeader == Header::Kept
                             ? headerOf({fileName + " " + tag + ": [" + source + "]", kHeaderRule, "  "})
                             : "";
    std::string error;
    switch (copyAsText(source, target, header, error)) {
    case Copy::Written:
        log.append("[" + source + "] ---> \"" + targetName + "\"");
        return;
    case Copy::Empty:
    case Copy::ReadFailed:
        log.append("[-] [" + source + "] x " + targetName);
        return;
    case Copy::WriteFailed:
        break;
    }
    log.append("[!!] [ 2) Создать файл не удалось] [\"" + source + "\"] - " + error);
    fallBackToShellCopy(source, targetName);
}

std::string FileCapture::CaptureRegisteredFile(RegistryRoot root, const std::string& key,
                                               const std::string& subkey, const std::string& folder,
                                               const std::string& subPath, const std::string& fileName,
                                               const std::string& product, const std::string& valueName) {
    EventLog& log = run_.eventLog();
    std::string targetName = "(" + product + ")" + fileName;
    log.setColor(LogColor::Blue);
    log.append("\r\n" + targetName + ": ");
    log.setColor(LogColor::Black);
    std::string base =
        folder.empty() ? RegistryReader(run_).ReadRegistryString(root, key, subkey, valueName) : folder;
    std::string source = base + subPath + fileName;
    if (!isAbsolutePath(source) || !run_.platform().files.plainFileExists(source)) {
        log.append(targetName + " - не найден.");
        return {};
    }
    std::string error;
    switch (copyAsText(source, run_.folders().workPath(targetName),
                       headerOf({fileName + ": [" + source + "]", kHeaderRule, "  "}), error)) {
    case Copy::Written:
        log.append("[" + source + "] ---> \"" + targetName + "\"");
        return source;
    case Copy::Empty:
    case Copy::ReadFailed:
        log.append(targetName + " - не найден.");
        return {};
    case Copy::WriteFailed:
        log.append("[!!] [ 2) Создать файл не удалось] [\"" + source + "\"] - " + error);
        break;
    }
    return fallBackToShellCopy(source, targetName) ? source : std::string();
}

void FileCapture::CaptureLockedFile(const std::string& folder, const std::string& prefix,
                                    const std::string& fileName) {
    EventLog& log = run_.eventLog();
    FileSystem& files = run_.platform().files;
    std::string source = folder + "\\" + fileName;
    std::string targetName = prefix + fileName;
    if (!isAbsolutePath(source) || !files.plainFileExists(source)) {
        log.append("[-][" + source + "] x " + targetName);
        return;
    }
    // The shell copy reads files that other programs hold open; the copy is then read instead.
    std::string copy = run_.folders().workPath(fileName);
    if (!ShellCopyFile(source, run_.folders().workFolderPath()))
        log.append("Копирование файла \"" + fileName + "\" не удалось");
    std::string error;
    Copy result = files.plainFileExists(copy)
                      ? copyAsText(copy, run_.folders().workPath(targetName),
                                   headerOf({fileName + ": [" + folder + "]", kHeaderRule, " "}), error)
                      : Copy::ReadFailed;
    switch (result) {
    case Copy::Written:
        log.append("[" + source + "] ---> " + targetName);
        break;
    case Copy::Empty:
    case Copy::ReadFailed:
        log.append("[-][" + source + "] x " + targetName);
        break;
    case Copy::WriteFailed:
        log.append("[!!] [ 2) Создать файл не удалось] [\"" + source + "\"] - " + error);
        fallBackToShellCopy(source, targetName);
        break;
    }
    // Without a prefix the copy is the captured file itself and stays.
    if (prefix.empty() || !files.plainFileExists(copy))
        return;
    unsigned code = files.deleteFileWithCode(copy);
    log.append(copy + (code == 0 ? " - временный файл удалён"
                                 : " - временный файл не удалён, ошибка = " + std::to_string(code)));
}

void FileCapture::CaptureUnicodeFile(const std::string& folder, const std::string& prefix,
                                     const std::string& fileName) {
    EventLog& log = run_.eventLog();
    FileSystem& files = run_.platform().files;
    WorkFolders& work = run_.folders();
    std::string source = collapseSeparators(folder + fileName);
    std::string targetName = prefix + fileName;
    log.setColor(LogColor::Blue);
    log.append("\r\n" + fileName + " " + prefix + ":");
    log.setColor(LogColor::Black);
    if (!isAbsolutePath(source) || !files.plainFileExists(source)) {
        log.append("[-] [" + folder + fileName + "] x \"" + targetName + "\"");
        return;
    }
    std::string copy = work.workPath(fileName);
    if (samePath(source, copy)) {
        log.append("Файл \"" + fileName + "\" уже существует в KW_Temp");
    } else {
        // A different file of that name already in the work folder is neither converted nor removed.
        if (files.plainFileExists(copy))
            copy = work.workPath("(tmp)" + fileName);
        if (!ShellCopyFile(source, copy))
            log.append("Копирование файла \"" + folder + fileName + "\" не удалось");
    }
    if (files.plainFileExists(copy)) {
        FileError err;
        std::unique_ptr<FileReader> in = files.openRead(copy, err);
        std::unique_ptr<FileWriter> out;
        if (in)
            out = files.createWrite(work.workPath(targetName), err);
        if (!in || !out) {
            logError(in ? " 2) Создать файл не удалось" : " 1) Открыть файл не удалось", in ? source : copy,
                     in ? "EFCreateError" : "EFOpenError", err.message);
        } else {
            std::string header = headerOf({fileName + ": [" + source + "] " + prefix, kHeaderRule, "  "});
            UnicodeToAnsi convert;
            std::string block(kBlock, '\0'), text, preview;
            bool ok = out->write(header), more = true;
            std::int64_t got = 0;
            while (ok && more && (got = in->read(block.data(), block.size())) > 0) {
                text.clear();
                more = convert.feed({block.data(), static_cast<size_t>(got)}, text);
                if (preview.size() < kPreviewBytes)
                    preview += text.substr(0, kPreviewBytes - preview.size());
                ok = out->write(text);
            }
            if (got < 0)
                logError(" 1) Открыть файл не удалось", copy, "EReadError", in->error().message);
            text.clear();
            if (more)
                convert.finish(text);
            if (ok)
                ok = out->write(text);
            if (!ok)
                logError(" 2) Создать файл не удалось", source, "EWriteError", out->error().message);
            if (ok && got >= 0) {
                log.append("[" + folder + fileName + "] ---> \"" + targetName + "\"");
                showInCaptureBuffer(header, preview);
            }
        }
    }
    run_.captureBuffer().clear();
    if (samePath(copy, work.workPath(targetName)) || !files.plainFileExists(copy))
        return;
    unsigned code = files.deleteFileWithCode(copy);
    log.append(copy + (code == 0 ? " - временный файл удалён"
                                 : " - временный файл удалить не удалось, ошибка = " + std::to_string(code)));
}

bool FileCapture::CopyWithHeader(const std::string& source, const std::string& targetName,
                                 const std::string& header) {
    std::string error;
    switch (copyAsText(source, run_.folders().workPath(targetName), header, error, true)) {
    case Copy::Written:
        return true;
    case Copy::WriteFailed:
        run_.eventLog().append("[!!] [ 2) Создать файл не удалось] [\"" + source + "\"] - " + error);
        return false;
    default:
        return false;
    }
}

bool FileCapture::ReadWholeFile(const std::string& path, std::string& text) {
    text.clear();
    FileError err;
    std::unique_ptr<FileReader> in = run_.platform().files.openRead(path, err);
    if (!in) {
        logError(" 1) Открыть файл не удалось", path, "EFOpenError", err.message);
        return false;
    }
    std::string block(kBlock, '\0');
    std::int64_t got;
    while ((got = in->read(block.data(), block.size())) > 0)
        text.append(block.data(), static_cast<size_t>(got));
    if (got < 0) {
        logError(" 1) Открыть файл не удалось", path, "EReadError", in->error().message);
        text.clear();
        return false;
    }
    return !text.empty();
}

bool FileCapture::ShellCopyFile(const std::string& source, const std::string& destination) {
    // The shell is stricter than the file system about doubled separators and a folder's trailing one.
    std::string to = collapseSeparators(destination);
    if (to.size() > 3 && to.back() == '\\')
        to.pop_back();
    return run_.platform().files.shellCopy(collapseSeparators(source), to);
}

std::string FileCapture::GetSpecialFolder(int csidl) {
    return run_.platform().files.specialFolder(csidl);
}

} // namespace kw

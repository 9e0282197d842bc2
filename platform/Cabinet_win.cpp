// Cabinets through cabinet.dll: FCI writes them, FDI reads them. Both libraries open files by name
// through callbacks that take narrow strings; every name handed to them here is a token that the
// callbacks map back to a full Unicode path, so no path ever passes through a code page.
#include "platform/Cabinet.h"

#include <windows.h>

#include <fci.h>
#include <fcntl.h>
#include <fdi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/CabinetLayout.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

// A file opened for one of the libraries. The libraries hold it as an INT_PTR; the owner list of the
// operation keeps it alive and closes whatever the library left open when it gave up.
struct CabFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::int64_t* bytesRead = nullptr; // counts what is read of the cabinet, for the progress of unpacking
    // The libraries write in pieces of a few bytes to 32 KB; they reach the system in larger ones. A
    // piece that cannot be written is remembered, so that no failure goes unnoticed.
    std::vector<char> pending;
    std::optional<FileError>* failure = nullptr;
    bool buffered = true;

    bool flush() {
        size_t at = 0;
        while (at < pending.size()) {
            DWORD put = 0;
            if (!WriteFile(handle, pending.data() + at, static_cast<DWORD>(pending.size() - at), &put,
                           nullptr) ||
                put == 0) {
                if (failure && !*failure)
                    *failure = FileError{GetLastError(),
                                         "не удалось записать файл: " + systemErrorText(GetLastError())};
                pending.clear();
                return false;
            }
            at += put;
        }
        pending.clear();
        return true;
    }
    bool close() {
        bool ok = flush();
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return ok;
    }
    ~CabFile() { close(); }
};

class OpenFiles {
  public:
    INT_PTR add(HANDLE h, std::int64_t* bytesRead = nullptr, std::optional<FileError>* failure = nullptr) {
        auto f = std::make_unique<CabFile>();
        f->handle = h;
        f->bytesRead = bytesRead;
        f->failure = failure;
        INT_PTR id = reinterpret_cast<INT_PTR>(f.get());
        files_.push_back(std::move(f));
        return id;
    }

  private:
    std::vector<std::unique_ptr<CabFile>> files_;
};

CabFile* fileOf(INT_PTR hf) {
    return reinterpret_cast<CabFile*>(hf);
}

HANDLE openByFlags(const std::wstring& path, int oflag) {
    DWORD access = (oflag & (_O_WRONLY | _O_RDWR)) ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    DWORD creation = OPEN_EXISTING;
    if ((oflag & _O_CREAT) && (oflag & _O_EXCL))
        creation = CREATE_NEW;
    else if ((oflag & _O_CREAT) && (oflag & _O_TRUNC))
        creation = CREATE_ALWAYS;
    else if (oflag & _O_CREAT)
        creation = OPEN_ALWAYS;
    else if (oflag & _O_TRUNC)
        creation = TRUNCATE_EXISTING;
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, creation,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

UINT readFile(INT_PTR hf, void* buf, UINT cb) {
    DWORD got = 0;
    CabFile* f = fileOf(hf);
    if (!f->flush() || !ReadFile(f->handle, buf, cb, &got, nullptr))
        return static_cast<UINT>(-1);
    if (f->bytesRead)
        *f->bytesRead += got;
    return got;
}

constexpr size_t kWriteChunk = 1 << 20;

UINT writeFile(INT_PTR hf, void* buf, UINT cb) {
    CabFile* f = fileOf(hf);
    const char* bytes = static_cast<const char*>(buf);
    if (!f->buffered) {
        DWORD put = 0;
        if (WriteFile(f->handle, buf, cb, &put, nullptr))
            return put;
        if (f->failure && !*f->failure)
            *f->failure =
                FileError{GetLastError(), "не удалось записать файл: " + systemErrorText(GetLastError())};
        return static_cast<UINT>(-1);
    }
    f->pending.insert(f->pending.end(), bytes, bytes + cb);
    if (f->pending.size() >= kWriteChunk && !f->flush())
        return static_cast<UINT>(-1);
    return cb;
}

long seekFile(INT_PTR hf, long dist, int seektype) {
    DWORD how = seektype == SEEK_CUR ? FILE_CURRENT : seektype == SEEK_END ? FILE_END : FILE_BEGIN;
    CabFile* f = fileOf(hf);
    if (!f->flush())
        return -1;
    DWORD at = SetFilePointer(f->handle, dist, nullptr, how);
    return at == INVALID_SET_FILE_POINTER ? -1 : static_cast<long>(at);
}

FileError lastError() {
    DWORD code = GetLastError();
    return {code, systemErrorText(code)};
}

bool isPlainAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

std::int64_t sizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a))
        return 0;
    return (static_cast<std::int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// ---- writing (FCI) ----

struct PackContext {
    std::wstring cabinet;
    std::vector<CabinetSource> sources;        // those handed over so far
    std::map<std::string, std::wstring> temps; // token -> temporary file
    std::wstring tempFolder;
    int nextTemp = 0;
    OpenFiles open;
    std::optional<FileError> failure; // the first reason the libraries cannot give themselves
    const CabinetProgress* progress = nullptr;
    std::int64_t done = 0, total = 0;
    bool stopped = false;
};

constexpr char kCabToken[] = "#cabinet";

std::wstring packPath(PackContext& ctx, const char* name) {
    std::string token(name);
    if (token == kCabToken)
        return ctx.cabinet;
    if (auto t = ctx.temps.find(token); t != ctx.temps.end())
        return t->second;
    if (token.rfind("#src", 0) == 0) {
        size_t i = std::strtoul(token.c_str() + 4, nullptr, 10);
        if (i < ctx.sources.size())
            return toWide(ctx.sources[i].path);
    }
    return {};
}

FNFCIALLOC(fciAlloc) {
    return std::malloc(cb);
}
FNFCIFREE(fciFree) {
    std::free(memory);
}

FNFCIOPEN(fciOpen) {
    auto& ctx = *static_cast<PackContext*>(pv);
    std::wstring path = packPath(ctx, pszFile);
    HANDLE h = path.empty() ? INVALID_HANDLE_VALUE : openByFlags(path, oflag);
    if (h == INVALID_HANDLE_VALUE) {
        *err = static_cast<int>(GetLastError());
        if (!ctx.failure)
            ctx.failure = FileError{GetLastError(), "Не удалось создать файл " + toUtf8(path) + ": " +
                                                        systemErrorText(GetLastError())};
        return -1;
    }
    return ctx.open.add(h, nullptr, &ctx.failure);
}

FNFCIREAD(fciRead) {
    UINT n = readFile(hf, memory, cb);
    if (n == static_cast<UINT>(-1))
        *err = static_cast<int>(GetLastError());
    (void)pv;
    return n;
}

FNFCIWRITE(fciWrite) {
    auto& ctx = *static_cast<PackContext*>(pv);
    UINT n = writeFile(hf, memory, cb);
    if (n != cb) {
        *err = static_cast<int>(GetLastError());
        if (!ctx.failure)
            ctx.failure = FileError{GetLastError(),
                                    "Не удалось записать данные пакета: " + systemErrorText(GetLastError())};
    }
    return n;
}

FNFCICLOSE(fciClose) {
    (void)pv;
    if (fileOf(hf)->close())
        return 0;
    *err = static_cast<int>(GetLastError());
    return -1;
}

FNFCISEEK(fciSeek) {
    (void)pv;
    long at = seekFile(hf, dist, seektype);
    if (at < 0)
        *err = static_cast<int>(GetLastError());
    return at;
}

FNFCIDELETE(fciDelete) {
    auto& ctx = *static_cast<PackContext*>(pv);
    std::wstring path = packPath(ctx, pszFile);
    if (path.empty() || !DeleteFileW(path.c_str())) {
        *err = static_cast<int>(GetLastError());
        return -1;
    }
    return 0;
}

FNFCIGETTEMPFILE(fciTempFile) {
    auto& ctx = *static_cast<PackContext*>(pv);
    std::string token = "#tmp" + std::to_string(ctx.nextTemp++);
    if (static_cast<int>(token.size()) >= cbTempName)
        return FALSE;
    wchar_t name[64];
    swprintf(name, 64, L"KW_cab_%lu_%d.tmp", GetCurrentProcessId(), ctx.nextTemp);
    std::wstring path = ctx.tempFolder + name;
    DeleteFileW(path.c_str()); // a leftover of an earlier program with the same process number
    ctx.temps[token] = path;
    std::memcpy(pszTempName, token.c_str(), token.size() + 1);
    return TRUE;
}

FNFCIGETNEXTCABINET(fciNextCabinet) {
    (void)pccab;
    (void)cbPrevCab;
    auto& ctx = *static_cast<PackContext*>(pv);
    if (!ctx.failure)
        ctx.failure = FileError{ERROR_FILE_TOO_LARGE, "Файлы не помещаются в один пакет"};
    return FALSE;
}

FNFCIFILEPLACED(fciFilePlaced) {
    (void)pccab;
    (void)pszFile;
    (void)cbFile;
    (void)fContinuation;
    (void)pv;
    return 0;
}

FNFCISTATUS(fciStatus) {
    auto& ctx = *static_cast<PackContext*>(pv);
    if (typeStatus == statusCabinet)
        return static_cast<long>(cb2);
    if (typeStatus == statusFile) {
        ctx.done += cb2;
        if (ctx.progress && *ctx.progress && !(*ctx.progress)(ctx.done, ctx.total)) {
            ctx.stopped = true;
            return -1;
        }
    }
    (void)cb1;
    return 0;
}

FNFCIGETOPENINFO(fciOpenInfo) {
    auto& ctx = *static_cast<PackContext*>(pv);
    std::wstring path = packPath(ctx, pszName);
    HANDLE h = path.empty() ? INVALID_HANDLE_VALUE
                            : CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *err = static_cast<int>(GetLastError());
        if (!ctx.failure)
            ctx.failure = FileError{GetLastError(), "Не удалось прочитать файл " + toUtf8(path) + ": " +
                                                        systemErrorText(GetLastError())};
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    FILETIME local{};
    GetFileInformationByHandle(h, &info);
    FileTimeToLocalFileTime(&info.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, pdate, ptime);
    USHORT attribs =
        static_cast<USHORT>(info.dwFileAttributes & (_A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_ARCH));
    size_t i = std::strtoul(pszName + 4, nullptr, 10);
    if (i < ctx.sources.size() && !isPlainAscii(ctx.sources[i].name))
        attribs |= _A_NAME_IS_UTF;
    *pattribs = attribs;
    return ctx.open.add(h);
}

std::string fciReason(const ERF& erf) {
    switch (erf.erfOper) {
    case FCIERR_OPEN_SRC:
        return "не удалось открыть исходный файл";
    case FCIERR_READ_SRC:
        return "не удалось прочитать исходный файл";
    case FCIERR_ALLOC_FAIL:
        return "не хватает памяти";
    case FCIERR_TEMP_FILE:
        return "не удалось записать временный файл";
    case FCIERR_CAB_FILE:
        return "не удалось записать файл пакета";
    case FCIERR_USER_ABORT:
        return "упаковка прервана";
    case FCIERR_MCI_FAIL + 1:
        return "файлы не помещаются в один пакет"; // FCIERR_CAB_FORMAT_LIMIT
    default:
        return "ошибка упаковки " + std::to_string(erf.erfOper);
    }
}

struct FciTraits {
    using Handle = HFCI;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { FCIDestroy(h); }
};
struct FdiTraits {
    using Handle = HFDI;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { FDIDestroy(h); }
};

// ---- reading (FDI) ----

struct UnpackContext {
    std::wstring cabinet;
    std::wstring folder; // ends in a separator
    const MemberFilter* filter = nullptr;
    ExtractedCabinet* result = nullptr;
    OpenFiles open;
    std::optional<FileError> failure;
    const CabinetProgress* progress = nullptr;
    std::int64_t done = 0, total = 0; // bytes of the cabinet
    std::string current;              // the member being written
};

// FDI's file callbacks carry no context: the cabinet's name handed to FDI names its context instead.
std::string tokenFor(UnpackContext* ctx) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "#%p", static_cast<void*>(ctx));
    return buf;
}

UnpackContext* contextOfToken(const char* name) {
    void* p = nullptr;
    if (!name || name[0] != '#' || std::sscanf(name + 1, "%p", &p) != 1)
        return nullptr;
    return static_cast<UnpackContext*>(p);
}

FNALLOC(fdiAlloc) {
    return std::malloc(cb);
}
FNFREE(fdiFree) {
    std::free(pv);
}

FNOPEN(fdiOpen) {
    UnpackContext* ctx = contextOfToken(pszFile);
    if (!ctx)
        return -1;
    HANDLE h = openByFlags(ctx->cabinet, oflag & ~(_O_CREAT | _O_TRUNC | _O_WRONLY | _O_RDWR));
    if (h == INVALID_HANDLE_VALUE) {
        if (!ctx->failure)
            ctx->failure = lastError();
        return -1;
    }
    return ctx->open.add(h, &ctx->done);
}

FNREAD(fdiRead) {
    return readFile(hf, pv, cb);
}
FNWRITE(fdiWrite) {
    return writeFile(hf, pv, cb);
}
FNCLOSE(fdiClose) {
    return fileOf(hf)->close() ? 0 : -1;
}
FNSEEK(fdiSeek) {
    return seekFile(hf, dist, seektype);
}

std::string memberName(const FDINOTIFICATION* n) {
    std::string raw = n->psz1 ? n->psz1 : "";
    return (n->attribs & _A_NAME_IS_UTF) ? raw : ansiToUtf8(raw);
}

FNFDINOTIFY(fdiNotify) {
    auto& ctx = *static_cast<UnpackContext*>(pfdin->pv);
    switch (fdint) {
    case fdintCABINET_INFO:
    case fdintENUMERATE:
        return 0;
    case fdintPARTIAL_FILE:
    case fdintNEXT_CABINET:
        if (!ctx.failure)
            ctx.failure = FileError{ERROR_INVALID_DATA, "пакет продолжается в другом файле, которого нет"};
        return -1;
    case fdintCOPY_FILE: {
        CabinetMember member{memberName(pfdin), pfdin->cb};
        if (ctx.filter && *ctx.filter) {
            if (auto reason = (*ctx.filter)(member)) {
                ctx.result->refused.emplace_back(member.name, *reason);
                return 0;
            }
        }
        std::wstring path = ctx.folder + toWide(member.name);
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (!ctx.failure)
                ctx.failure = FileError{GetLastError(), "не удалось записать файл " + member.name + ": " +
                                                            systemErrorText(GetLastError())};
            return -1;
        }
        ctx.current = member.name;
        INT_PTR id = ctx.open.add(h, nullptr, &ctx.failure);
        fileOf(id)->buffered = false; // FDI writes whole 32 KB blocks
        return id;
    }
    case fdintCLOSE_FILE_INFO: {
        CabFile* f = fileOf(pfdin->hf);
        FILETIME local{}, utc{};
        bool written = f->flush();
        if (written && DosDateTimeToFileTime(pfdin->date, pfdin->time, &local) &&
            LocalFileTimeToFileTime(&local, &utc))
            SetFileTime(f->handle, nullptr, nullptr, &utc);
        if (!f->close() || !written)
            return FALSE;
        ctx.result->written.push_back(ctx.current);
        if (ctx.progress && *ctx.progress && !(*ctx.progress)(ctx.done, ctx.total)) {
            if (!ctx.failure)
                ctx.failure = FileError{ERROR_CANCELLED, "распаковка прервана"};
            return FALSE;
        }
        return TRUE;
    }
    }
    return 0;
}

std::string fdiReason(const ERF& erf) {
    switch (erf.erfOper) {
    case FDIERROR_CABINET_NOT_FOUND:
        return "файл не найден";
    case FDIERROR_NOT_A_CABINET:
        return "файл не является архивом CAB";
    case FDIERROR_UNKNOWN_CABINET_VERSION:
        return "неизвестная версия архива CAB";
    case FDIERROR_CORRUPT_CABINET:
        return "архив CAB повреждён";
    case FDIERROR_ALLOC_FAIL:
        return "не хватает памяти";
    case FDIERROR_BAD_COMPR_TYPE:
        return "неизвестный способ сжатия";
    case FDIERROR_MDI_FAIL:
        return "данные архива CAB повреждены";
    case FDIERROR_TARGET_FILE:
        return "не удалось записать файл";
    case FDIERROR_RESERVE_MISMATCH:
        return "архив CAB повреждён";
    case FDIERROR_WRONG_CABINET:
        return "архив CAB из другого набора";
    case FDIERROR_USER_ABORT:
        return "распаковка прервана";
    case FDIERROR_USER_ABORT + 1:
        return "архив CAB обрезан"; // FDIERROR_EOF
    default:
        return "ошибка распаковки " + std::to_string(erf.erfOper);
    }
}

// Checks the cabinet's tables before FDI trusts them; nothing when they hold.
std::optional<std::string> layoutFault(const std::wstring& cabinet) {
    UniqueHandle<FileHandleTraits> file(CreateFileW(cabinet.c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr));
    LARGE_INTEGER length{};
    if (!file || !GetFileSizeEx(file.get(), &length))
        return "не удалось прочитать файл: " + systemErrorText(GetLastError());
    return cabinetLayoutFault(
        static_cast<std::uint64_t>(length.QuadPart),
        [&](std::uint64_t offset, void* buffer, std::size_t size) {
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(offset);
            DWORD got = 0;
            return SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) &&
                   ReadFile(file.get(), buffer, static_cast<DWORD>(size), &got, nullptr) && got == size;
        });
}

HFDI createFdi(ERF& erf) {
    return FDICreate(fdiAlloc, fdiFree, fdiOpen, fdiRead, fdiWrite, fdiClose, fdiSeek, cpuUNKNOWN, &erf);
}

} // namespace

std::optional<FileError> writeCabinet(const std::string& cabinet, const std::vector<CabinetSource>& files,
                                      const std::string& diskLabel, const CabinetProgress& progress) {
    std::int64_t total = 0;
    for (const CabinetSource& f : files)
        total += sizeOf(toWide(f.path));
    std::size_t next = 0;
    CabinetFeed feed = [&](std::optional<FileError>&) -> std::optional<CabinetSource> {
        if (next == files.size())
            return std::nullopt;
        return files[next++];
    };
    return writeCabinet(cabinet, feed, total, diskLabel, progress);
}

std::optional<FileError> writeCabinet(const std::string& cabinet, const CabinetFeed& feed,
                                      std::int64_t expectedBytes, const std::string& diskLabel,
                                      const CabinetProgress& progress) {
    PackContext ctx;
    ctx.cabinet = toWide(cabinet);
    ctx.progress = &progress;
    ctx.total = expectedBytes;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    ctx.tempFolder = temp;

    CCAB ccab{};
    ccab.cb = 0x7FFFFFFF;
    ccab.cbFolderThresh = 0x7FFFFFFF;
    ccab.iCab = 1;
    ccab.iDisk = 1;
    ccab.setID = 0;
    std::snprintf(ccab.szDisk, sizeof ccab.szDisk, "%s", diskLabel.c_str());
    std::snprintf(ccab.szCab, sizeof ccab.szCab, "%s", kCabToken + 1);
    std::snprintf(ccab.szCabPath, sizeof ccab.szCabPath, "#");

    ERF erf{};
    UniqueHandle<FciTraits> fci(FCICreate(&erf, fciFilePlaced, fciAlloc, fciFree, fciOpen, fciRead, fciWrite,
                                          fciClose, fciSeek, fciDelete, fciTempFile, &ccab, &ctx));
    if (!fci)
        return FileError{static_cast<unsigned>(erf.erfType), "не удалось начать упаковку: " + fciReason(erf)};

    bool ok = true;
    std::optional<FileError> fed;
    while (ok) {
        std::optional<CabinetSource> file = feed(fed);
        if (!file)
            break;
        if (file->name.size() >= CB_MAX_FILENAME) {
            fed = FileError{ERROR_FILENAME_EXCED_RANGE, "слишком длинное имя файла " + file->name};
            break;
        }
        std::string source = "#src" + std::to_string(ctx.sources.size());
        ctx.sources.push_back(*file);
        std::string name = file->name;
        ok = FCIAddFile(fci.get(), source.data(), name.data(), FALSE, fciNextCabinet, fciStatus, fciOpenInfo,
                        tcompTYPE_MSZIP) != FALSE;
    }
    if (ok && !fed)
        ok = FCIFlushCabinet(fci.get(), FALSE, fciNextCabinet, fciStatus) != FALSE;
    fci.reset(); // closes and deletes the temporary files
    for (auto& [token, path] : ctx.temps)
        DeleteFileW(path.c_str());
    if (ok && !fed && !ctx.failure)
        return std::nullopt;
    DeleteFileW(ctx.cabinet.c_str());
    if (fed)
        return fed;
    if (ctx.stopped)
        return FileError{ERROR_CANCELLED, "упаковка прервана"};
    if (ctx.failure)
        return ctx.failure;
    return FileError{static_cast<unsigned>(erf.erfType), fciReason(erf)};
}

bool isCabinet(const std::string& path) {
    UnpackContext ctx;
    ctx.cabinet = toWide(path);
    ERF erf{};
    UniqueHandle<FdiTraits> fdi(createFdi(erf));
    if (!fdi)
        return false;
    std::string token = tokenFor(&ctx);
    INT_PTR hf = fdiOpen(token.data(), _O_RDONLY | _O_BINARY, 0);
    if (hf == -1)
        return false;
    FDICABINETINFO info{};
    return FDIIsCabinet(fdi.get(), hf, &info) != FALSE && !layoutFault(ctx.cabinet);
}

std::optional<FileError> extractCabinet(const std::string& cabinet, const std::string& folder,
                                        const MemberFilter& filter, ExtractedCabinet& result,
                                        const CabinetProgress& progress) {
    UnpackContext ctx;
    ctx.cabinet = toWide(cabinet);
    ctx.folder = toWide(folder);
    if (!ctx.folder.empty() && ctx.folder.back() != L'\\')
        ctx.folder += L'\\';
    ctx.filter = &filter;
    ctx.result = &result;
    ctx.progress = &progress;

    ERF erf{};
    UniqueHandle<FdiTraits> fdi(createFdi(erf));
    if (!fdi)
        return FileError{static_cast<unsigned>(erf.erfType),
                         "не удалось начать распаковку: " + fdiReason(erf)};

    std::string token = tokenFor(&ctx);
    {
        INT_PTR hf = fdiOpen(token.data(), _O_RDONLY | _O_BINARY, 0);
        if (hf == -1)
            return ctx.failure ? ctx.failure : FileError{ERROR_FILE_NOT_FOUND, "файл не найден"};
        FDICABINETINFO info{};
        BOOL cab = FDIIsCabinet(fdi.get(), hf, &info);
        fileOf(hf)->close();
        if (!cab)
            return FileError{ERROR_BAD_FORMAT, "файл не является архивом CAB"};
        if (info.hasnext)
            return FileError{ERROR_INVALID_DATA, "пакет продолжается в другом файле, которого нет"};
        ctx.total = static_cast<std::int64_t>(info.cbCabinet);
    }
    if (auto fault = layoutFault(ctx.cabinet))
        return FileError{ERROR_INVALID_DATA, "архив CAB повреждён: " + *fault};
    std::string path; // FDI joins the path and the name: the token stands in the name, the path stays empty
    BOOL ok = FDICopy(fdi.get(), token.data(), path.data(), 0, fdiNotify, nullptr, &ctx);
    if (ok && !ctx.failure)
        return std::nullopt;
    if (ctx.failure)
        return ctx.failure;
    return FileError{static_cast<unsigned>(erf.erfOper), fdiReason(erf)};
}

} // namespace kw

// The floor of an inventory under the same Windows (or Wine): a tree walked with FindFirstFile, each file
// opened, read once in 1 MB pieces and hashed with BCrypt's MD5, on two threads taking files in turns.
// Nothing else: no table, no version, no program's own bookkeeping. Prints "files=N bytes=B seconds=S".
//   kw_inventory_floor FOLDER [THREADS]
#include <windows.h>
// after windows.h, which it needs
#include <bcrypt.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

void walk(const std::wstring& folder, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW d;
    HANDLE h =
        FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = d.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            walk(folder + L"\\" + name, out);
        else
            out.push_back(folder + L"\\" + name);
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kw_inventory_floor FOLDER [THREADS]\n");
        return 2;
    }
    const unsigned threads = argc > 2 ? static_cast<unsigned>(_wtoi(argv[2])) : 2;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::wstring> files;
    walk(argv[1], files);
    BCRYPT_ALG_HANDLE md5 = nullptr;
    if (BCryptOpenAlgorithmProvider(&md5, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0)
        return 2;
    std::atomic<size_t> next{0};
    std::atomic<long long> bytes{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, threads); ++t)
        workers.emplace_back([&] {
            std::vector<unsigned char> block(1 << 20);
            for (size_t i; (i = next++) < files.size();) {
                HANDLE f = CreateFileW(files[i].c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
                if (f == INVALID_HANDLE_VALUE)
                    continue;
                BCRYPT_HASH_HANDLE hash = nullptr;
                BCryptCreateHash(md5, &hash, nullptr, 0, nullptr, 0, 0);
                DWORD got = 0;
                while (ReadFile(f, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) &&
                       got > 0) {
                    BCryptHashData(hash, block.data(), got, 0);
                    bytes += got;
                }
                unsigned char digest[16];
                BCryptFinishHash(hash, digest, sizeof digest, 0);
                BCryptDestroyHash(hash);
                CloseHandle(f);
            }
        });
    for (std::thread& w : workers)
        w.join();
    BCryptCloseAlgorithmProvider(md5, 0);
    std::printf("files=%zu bytes=%lld seconds=%.2f\n", files.size(), bytes.load(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}

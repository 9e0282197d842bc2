// The members of a package as they are packed: each file of the work folder hashed (SHA-256) and, with
// "Скрывать пароли в пакете", each text file with secrets masked into a copy of its own in a staging
// folder (the work folder keeps the originals); after them "KW_Masked.csv" (what was masked, when masking)
// and last "KW_Manifest.csv" (the contents list), both written into the work folder when their turn comes.
// The members are prepared on a thread of their own while the cabinet packs those that are ready, so that
// hashing and masking add next to nothing to the time of a save.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Cabinet.h"
#include "results/SecretMasking.h"

namespace kw {

struct PreparedMember {
    std::string name;   // the bare name in the package
    std::string source; // the file packed: the work folder's own, or its masked copy
    std::int64_t size = 0;
    std::string sha256; // of the bytes packed
    std::vector<MaskedValue> masked;
};

// One file: hashed, and when `mask` and it is text with secrets, masked into `staging` + "\" + name.
std::optional<FileError> prepareMember(FileSystem& files, const std::string& path, const std::string& name,
                                       bool mask, const std::string& staging, PreparedMember& out);

class PackageMembers {
  public:
    // `names`: the files of `workFolder` to pack, in the order of the directive file. `staging` exists
    // when `mask` is on.
    PackageMembers(FileSystem& files, std::string workFolder, std::vector<std::string> names, bool mask,
                   std::string staging);
    ~PackageMembers(); // stops the preparation and waits for it
    PackageMembers(const PackageMembers&) = delete;
    PackageMembers& operator=(const PackageMembers&) = delete;

    // Every member's name in packing order: the files, "KW_Masked.csv" when masking, "KW_Manifest.csv".
    std::vector<std::string> packedNames() const;
    // The cabinet's feed: the next member once it is ready; nothing after the last, or with the error
    // that stopped the preparation.
    std::optional<CabinetSource> next(std::optional<FileError>& error);

    // After the last member: every member as packed, and how many values were masked.
    const std::vector<PreparedMember>& members() const { return done_; }
    std::size_t maskedValues() const;

  private:
    void prepare();
    std::optional<CabinetSource> writeList(const std::string& name, const std::string& bytes,
                                           std::optional<FileError>& error);

    FileSystem& files_;
    std::string folder_;
    std::vector<std::string> names_;
    bool mask_;
    std::string staging_;

    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<PreparedMember> done_; // guarded while the preparation runs
    std::optional<FileError> failure_;
    std::atomic<bool> stop_{false};
    std::size_t handed_ = 0; // members handed to the cabinet
    std::thread worker_;
};

} // namespace kw

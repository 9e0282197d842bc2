// The fixed version information of a program file read from its bytes as they stream past (while they
// are hashed), so that the file need not be opened a second time for its version resource. Only what
// the version functions would surely read the same way is answered; anything unusual is left to them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace kw {

struct PeVersionAnswer {
    enum State {
        Found,   // version holds the fixed version information
        None,    // a well-formed program file without a version resource
        Unknown, // not answered from these bytes: ask the version functions
    };
    State state = Unknown;
    FileVersion version;
};

class PeVersionScanner {
  public:
    // limit: the most bytes of the resource section kept; a larger section is answered only when its
    // version resource lies within the first limit bytes.
    explicit PeVersionScanner(std::size_t limit = kDefaultLimit);

    // Forgets the previous file.
    void reset();
    // The next bytes of the file, in order from its first byte.
    void feed(const char* data, std::size_t size);
    // What the bytes fed so far tell; bytes not fed count as unknown, not as absent.
    PeVersionAnswer answer();

    static constexpr std::size_t kHeadBytes = 1 << 16;
    static constexpr std::size_t kDefaultLimit = 8 << 20;

  private:
    void planWindow();
    void planNeWindow(std::uint64_t ne);
    void keep(const char* data, std::uint64_t from, std::size_t size);

    std::size_t limit_;
    std::uint64_t fed_ = 0;
    std::string head_;   // the first kHeadBytes of the file
    std::string window_; // the resource section's bytes from windowStart_
    bool planned_ = false;
    bool wanted_ = false; // a window is to be kept
    std::uint64_t windowStart_ = 0, windowEnd_ = 0;
    std::uint32_t sectionRva_ = 0, resourceRva_ = 0;
    bool format16_ = false; // the window is a 16-bit file's version resource, resourceSize_ long
    std::uint32_t resourceSize_ = 0;
    PeVersionAnswer early_; // what the headers alone told (None or Unknown) when no window is wanted
};

// The same for a whole file in memory.
PeVersionAnswer peVersionOf(std::string_view image);

} // namespace kw

// The files of one work folder as the findings' checks read them: each file read once, as lines of
// UTF-8 text, whatever number of rules reads it.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace kw {

// The edition table as the checks need it (the table itself lives with the product sections).
struct EditionLookup {
    std::function<bool(std::string_view file)> isComponent;
    std::function<bool(std::string_view file, std::int64_t size, std::string_view version)> matches;
};

class FolderEvidence {
  public:
    // `folder` without a trailing separator; `editions` may be null (edition() then finds nothing).
    FolderEvidence(FileSystem& files, std::string folder, const EditionLookup* editions);

    // The file's lines as UTF-8 (rich text as its plain text); null when it cannot be read.
    const std::vector<std::string>* lines(const std::string& name);
    bool exists(const std::string& name);
    // The work-folder files whose names match `pattern` ("*" any text, letter case ignored).
    std::vector<std::string> namesLike(const std::string& pattern);
    const EditionLookup* editions() const { return editions_; }

  private:
    FileSystem& files_;
    std::string folder_;
    const EditionLookup* editions_;
    std::map<std::string, std::optional<std::vector<std::string>>> read_; // by lower-cased name
    std::optional<std::vector<std::string>> names_;
};

bool globMatches(std::string_view pattern, std::string_view name); // "*" any text, letter case ignored

} // namespace kw

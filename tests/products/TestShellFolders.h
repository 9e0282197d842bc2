// The real file system, but the shell folders of the user and of all users point into the test's own
// temporary folder: a section test must not read (or create) the demo machine's application data.
#pragma once
#include <map>

#include "tests/ForwardingFileSystem.h"

namespace kw::test {

class TestShellFolders final : public ForwardingFileSystem {
  public:
    std::map<int, std::string> folders; // CSIDL -> path; one missing here reads as a failed call

    std::string specialFolder(int csidl) override {
        auto it = folders.find(csidl);
        return it == folders.end() ? std::string() : it->second;
    }
};

} // namespace kw::test

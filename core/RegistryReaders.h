// The small registry readers every collector uses: one string in either view, a multi-string, and the
// search for the subkey that holds a value.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kw {

class CollectionRun;

// Raised by ReadRegistryMultiString for its caller.
class RegistryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class RegistryReader {
  public:
    explicit RegistryReader(CollectionRun& run) : run_(run) {}

    // The string value of key\subkey (an empty subkey means key itself); empty when missing. A value
    // that is not a string, or any other failure, is logged and reads as empty.
    std::string ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& subkey,
                                   const std::string& valueName);
    std::string ReadRegistryString64(RegistryRoot root, const std::string& key, const std::string& subkey,
                                     const std::string& valueName);
    // Every string of a REG_MULTI_SZ value; empty when the key is missing; RegistryError otherwise.
    std::vector<std::string> ReadRegistryMultiString(RegistryRoot root, const std::string& key,
                                                     const std::string& valueName);
    // key + "\" + the last subkey holding a REG_SZ value of that exact name; empty when none does.
    std::string FindRegistrySubkeyWithValue(RegistryRoot root, const std::string& key,
                                            const std::string& valueName);
    bool IsWow64();

  private:
    std::string readString(RegistryRoot root, const std::string& key, const std::string& subkey,
                           const std::string& valueName, RegistryView view);
    CollectionRun& run_;
};

} // namespace kw

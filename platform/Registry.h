// Registry: reading keys in the default and the 64-bit view. The exports build on it later.
#pragma once
#include <optional>
#include <string>

namespace kw {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };
enum class RegistryView { Default, Wow64_64 };

class Registry {
public:
    virtual ~Registry() = default;
    virtual std::optional<std::string> readString(RegistryRoot root, const std::string& key,
                                                  const std::string& value, RegistryView view) = 0;
    // True when this 32-bit process runs on 64-bit Windows and so has a 64-bit view to read.
    virtual bool isWow64() = 0;
};

Registry& windowsRegistry();

} // namespace kw

// Registry: reading keys in the default and the 64-bit view, with values and subkeys listed in the
// registry's own order, so that exports show a key as the registry holds it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kw {

enum class RegistryRoot {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    CurrentConfig,
    DynData
};
enum class RegistryView { Default, Wow64_64 };

// Value types as the registry stores them.
inline constexpr std::uint32_t kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
                               kRegDwordBigEndian = 5, kRegLink = 6, kRegMultiSz = 7, kRegQword = 11;

struct RegistryValue {
    std::string name; // UTF-8; empty for the default value
    std::uint32_t type = 0;
    std::string data; // the raw bytes (strings are UTF-16 LE, usually with their terminating NUL)
};

struct RegistryKeyContents {
    std::vector<RegistryValue> values; // in enumeration order
    std::vector<std::string> subkeys;  // in enumeration order
};

enum class RegistryStatus { Ok, NoKey, NoValue, Failed };

struct RegistryRead {
    RegistryStatus status = RegistryStatus::NoKey;
    RegistryValue value;
    unsigned error = 0; // the system error code when status is Failed
};

class Registry {
  public:
    virtual ~Registry() = default;
    virtual std::optional<std::string> readString(RegistryRoot root, const std::string& key,
                                                  const std::string& value, RegistryView view) = 0;
    // Every value (with its data) and every subkey name of a key; nothing when it cannot be opened.
    virtual std::optional<RegistryKeyContents> readKey(RegistryRoot root, const std::string& key,
                                                       RegistryView view) = 0;
    // One value with its type and raw data.
    virtual RegistryRead readValue(RegistryRoot root, const std::string& key, const std::string& value,
                                   RegistryView view) = 0;
    // True when this 32-bit process runs on 64-bit Windows and so has a 64-bit view to read.
    virtual bool isWow64() = 0;
};

Registry& windowsRegistry();

// Root names as registry-export text writes them ("HKEY_LOCAL_MACHINE").
const char* registryRootName(RegistryRoot root);
// UTF-16 LE bytes up to the first NUL, as UTF-8.
std::string registryStringOf(const std::string& utf16le);
// The number of a REG_DWORD value that was read; nothing for a missing value or any other type.
std::optional<std::uint32_t> registryDwordOf(const RegistryRead& read);

} // namespace kw

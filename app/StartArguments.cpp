#include "app/StartArguments.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace kw {

StartArguments parseStartArguments(const std::vector<std::string>& args) {
    StartArguments a;
    if (args.empty())
        return a;
    std::string first = args.front();
    std::transform(first.begin(), first.end(), first.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    size_t used = 0;
    if (first == "full") {
        a.autoStart = true;
        used = 1;
    } else if (first == "fullin") {
        a.autoStart = a.hidden = true;
        used = 1;
        if (args.size() > 1)
            a.packageFolder = args[used++];
    } else {
        // Anything else names packages: one for side 1, a second one for comparison.
        for (; used < args.size() && used < 2; ++used)
            a.packages.push_back(args[used]);
    }
    a.unused.assign(args.begin() + static_cast<std::ptrdiff_t>(used), args.end());
    return a;
}

FirstActivation firstActivationRequest(const StartArguments& args) {
    if (args.autoStart && !args.hidden)
        return FirstActivation::FullRun;
    // Unused arguments alone are reported too.
    if (!args.packages.empty() || !args.unused.empty())
        return FirstActivation::OpenPackages;
    return FirstActivation::Nothing;
}

std::string instanceLockName(const std::string& tempDir) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : tempDir) {
        h ^= static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        h *= 16777619u;
    }
    char buf[16];
    wsprintfA(buf, "%08X", h);
    return std::string("Local\\KW_Scan!.") + buf;
}

} // namespace kw

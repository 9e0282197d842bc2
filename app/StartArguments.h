// What the program was started with: a full run at once ("full", "fullin") or packages to open, and the
// name of the lock that tells a second instance from the first.
#pragma once
#include <string>
#include <vector>

namespace kw {

struct StartArguments {
    bool autoStart = false;    // "full" or "fullin": a full run at once
    bool hidden = false;       // "fullin": the window stays hidden and the program ends after the run
    std::string packageFolder; // "fullin FOLDER": where the hidden run saves its package
    // Packages to open at start (a double click on a package, "Open with"): the first into side 1,
    // the second into side 2 for comparison.
    std::vector<std::string> packages;
    std::vector<std::string> unused; // arguments beyond those, reported at start
};
StartArguments parseStartArguments(const std::vector<std::string>& args);

// What the arguments ask of the window's first activation; a hidden run starts without one.
enum class FirstActivation { Nothing, FullRun, OpenPackages };
FirstActivation firstActivationRequest(const StartArguments& args);

// The instance lock is per temporary directory: two programs of one user share its work folders.
std::string instanceLockName(const std::string& tempDir);

} // namespace kw

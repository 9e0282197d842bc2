// The settings file "KW_scan.ini": window geometry, every stored option, the start-dialog choice.
// Written whole at every save; read on three paths (start, activation, "Загрузить настройки"),
// each with defaults of its own.
#pragma once
#include <string>

#include "settings/IniFile.h"
#include "settings/OptionSet.h"

namespace kw {

struct WindowGeometry {
    int left = 0, width = 500, top = 0, height = 500;
    int treeLeft = 1, treeWidth = 312, treeTop = 1, treeHeight = 532;
};

enum class StartChoice { Po, PoLibs, Tools, Open };

// Keys read at start and never written: they only take effect when put into the file by hand.
struct HandSetKeys {
    std::string net = "T:", min = "30", max = "999", kol = "9", host = "127.0.0.1", size = "65000",
                count = "12";
    int blendValue = 50;
    std::string status1;
};

struct Settings {
    WindowGeometry geometry;
    StartChoice startChoice = StartChoice::Po;
    HandSetKeys handSet;
};

inline constexpr const char* kSettingsFileName = "KW_scan.ini";

// The file text (UTF-8; the caller writes it in the ANSI code page) in the fixed key order.
std::string composeSettingsFile(const OptionSet& options, const Settings& settings);

void readSettingsOnStart(const IniFile& ini, OptionSet& options, Settings& settings);
void readSettingsOnActivation(const IniFile& ini, OptionSet& options, Settings& settings);
void readSettingsOnLoad(const IniFile& ini, OptionSet& options, Settings& settings);

} // namespace kw

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

// The support library of received packages: where it is, the server's password as the system's data
// protection keeps it for this user (never in clear), and whether packages opened in the window join it.
struct LibrarySettings {
    std::string place; // an SQLite file's path, or "odbc:" and a connection string without its password
    std::string protectedPassword; // base64 of the protected bytes; empty: none stored
    bool addOpened = true;
};

struct Settings {
    WindowGeometry geometry;
    StartChoice startChoice = StartChoice::Po;
    HandSetKeys handSet;
    LibrarySettings library;
};

inline constexpr const char* kSettingsFileName = "KW_scan.ini";

// The file text (UTF-8; the caller writes it in the ANSI code page) in the fixed key order.
std::string composeSettingsFile(const OptionSet& options, const Settings& settings);

void readSettingsOnStart(const IniFile& ini, OptionSet& options, Settings& settings);
void readSettingsOnActivation(const IniFile& ini, OptionSet& options, Settings& settings);
void readSettingsOnLoad(const IniFile& ini, OptionSet& options, Settings& settings);
// The library's keys alone (the window-less commands read only them).
void readLibrarySettings(const IniFile& ini, Settings& settings);

} // namespace kw

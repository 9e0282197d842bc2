#include "app/LibraryPlaceFromSettings.h"

#include "platform/Protect.h"
#include "platform/Text.h"

namespace kw {
namespace {

bool isPasswordKey(std::string_view part) {
    size_t equals = part.find('=');
    std::string_view key = part.substr(0, equals);
    while (!key.empty() && key.front() == ' ')
        key.remove_prefix(1);
    return equals != std::string_view::npos &&
           (sameTextIgnoringCase(key, "pwd") || sameTextIgnoringCase(key, "password"));
}

} // namespace

LibraryPlace libraryPlaceOf(const LibrarySettings& settings, FileSystem& files) {
    if (settings.place.empty()) {
        std::string program = files.programPath();
        return {program.substr(0, program.rfind('\\') + 1) + kLibraryFileName};
    }
    LibraryPlace place{settings.place};
    if (place.odbc() && !settings.protectedPassword.empty())
        if (std::optional<std::string> password = unprotectForUser(settings.protectedPassword)) {
            if (!place.text.empty() && place.text.back() != ';')
                place.text += ';';
            place.text += "Pwd=" + connectionValue(*password);
        }
    return place;
}

LibraryPlace rememberedLibraryPlace(FileSystem& files) {
    Settings settings;
    readLibrarySettings(
        IniFile::parse(ansiToUtf8(files.readFile(files.tempDirectory() + kSettingsFileName).value_or(""))),
        settings);
    return libraryPlaceOf(settings.library, files);
}

bool rememberLibraryPlace(const LibraryPlace& place, LibrarySettings& settings) {
    if (!place.odbc()) {
        settings.place = place.text;
        settings.protectedPassword.clear();
        return true;
    }
    std::string kept = "odbc:", password;
    for (const std::string& part : connectionParts(place.connectionString())) {
        if (isPasswordKey(part)) {
            password = part.substr(part.find('=') + 1);
            if (password.size() >= 2 && password.front() == '{' && password.back() == '}') {
                std::string inner;
                for (size_t i = 1; i + 1 < password.size(); ++i) {
                    inner += password[i];
                    if (password[i] == '}' && password[i + 1] == '}')
                        ++i;
                }
                password = inner;
            }
        } else {
            kept += part + ";";
        }
    }
    std::string protectedPassword;
    if (!password.empty()) {
        std::optional<std::string> p = protectForUser(password);
        if (!p)
            return false;
        protectedPassword = *p;
    }
    settings.place = kept;
    settings.protectedPassword = protectedPassword;
    return true;
}

} // namespace kw

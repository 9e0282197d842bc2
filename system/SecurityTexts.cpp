// Table texts of the security levels and the UAC and DEP rules.
#include "system/SecurityTexts.h"

#include <array>
#include <charconv>

namespace kw {
namespace {

constexpr std::array kAuthentication = {
    "Default (По умолчанию) [0]",
    "None (Отсутствует) [1]",
    "Connect (Подключиться) [2]",
    "Call (Связь) [3]",
    "Packet (Пакет) [4]",
    "Packet Integrity (Целостности пакетов) [5]",
    "Packet Privacy (Секретности пакетов) [6]",
};

constexpr std::array kImpersonation = {
    "Default (По умолчанию) [0]",      "Anonymous (Аноним) [1]",       "Identify (Определить) [2]",
    "Impersonate (Олицетворение) [3]", "Delegate (Делегирование) [4]",
};

template <std::size_t N>
std::string tableText(const std::array<const char*, N>& table, const std::string& value) {
    long n = -1;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (error != std::errc() || end != value.data() + value.size() || n < 0 || n >= static_cast<long>(N))
        return {};
    return table[static_cast<std::size_t>(n)];
}

constexpr const char* kDepKeyMissing =
    "DEP: \"Включить DEP только для основных программ и служб Windows\" (ключ реестра не обнаружен)";

} // namespace

std::string authenticationLevelText(const std::string& value) {
    return tableText(kAuthentication, value);
}
std::string impersonationLevelText(const std::string& value) {
    return tableText(kImpersonation, value);
}

UacDecision decideUac(const UacValues& v) {
    if (!v.enableLua)
        return {{"параметр реестра не обнаружен"}, false};
    if (*v.enableLua == "0")
        return {{"[-] отключен [" + *v.enableLua + "] уровень: Никогда не уведомлять"}, false};
    if (*v.enableLua != "1")
        return {};
    if (!v.promptOnSecureDesktop || !v.consentPromptBehaviorAdmin)
        return {{}, true};
    UacDecision d{{"[+] включен"}, false};
    const std::string& prompt = *v.promptOnSecureDesktop;
    const std::string& consent = *v.consentPromptBehaviorAdmin;
    if (prompt == "0")
        d.lines.push_back(
            "    [1] уровень: Уведомлять только при попытках программ внести изменения в компьютер "
            "(не затемнять рабочий стол)");
    else if (prompt == "1" && consent == "5")
        d.lines.push_back("    [2] уровень: По умолчанию - уведомлять только при попытках программ внести "
                          "изменения в компьютер");
    else if (prompt == "1" && consent == "2")
        d.lines.push_back("    [3] уровень: Всегда уведомлять");
    return d;
}

std::optional<std::string> depPolicyLine(bool keyFound, const std::optional<std::string>& value) {
    if (!keyFound)
        return kDepKeyMissing;
    if (!value)
        return "DEP: параметр реестра не обнаружен";
    std::string remainder = value->size() > 3 ? value->substr(3) : std::string();
    if (remainder == "12") {
        std::string head = kDepKeyMissing;
        return head.substr(0, head.find('(') + 1) + *value + ")";
    }
    if (remainder == "13")
        return "DEP: Включить DEP для всех программ и служб, кроме выбранных ниже (" + *value + ")";
    return std::nullopt;
}

} // namespace kw

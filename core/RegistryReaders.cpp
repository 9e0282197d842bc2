// Registry readers: failures become event-log lines, never a crash of the section that asked.
#include "core/RegistryReaders.h"

#include "core/CollectionRun.h"
#include "platform/Text.h"

namespace kw {
namespace {

std::string joinKey(const std::string& key, const std::string& subkey) {
    if (subkey.empty())
        return key;
    if (key.empty())
        return subkey;
    return key.back() == '\\' ? key + subkey : key + "\\" + subkey;
}

} // namespace

std::string RegistryReader::readString(RegistryRoot root, const std::string& key, const std::string& subkey,
                                       const std::string& valueName, RegistryView view) {
    RegistryRead r = run_.platform().registry.readValue(root, joinKey(key, subkey), valueName, view);
    std::string message;
    switch (r.status) {
    case RegistryStatus::NoKey:
    case RegistryStatus::NoValue:
        return {};
    case RegistryStatus::Ok:
        if (r.value.type == kRegSz || r.value.type == kRegExpandSz)
            return registryStringOf(r.value.data);
        message = "Неверный тип данных параметра \"" + valueName + "\"";
        break;
    case RegistryStatus::Failed:
        message = systemErrorText(r.error);
        break;
    }
    run_.eventLog().append(std::string("\r\n") +
                           (view == RegistryView::Wow64_64 ? "[RegSet64]" : "[RegSet32]") +
                           " [Получить информацию из реестра не удалось] [\"" + key + "\\" + subkey + "\\" +
                           valueName + "\"] - ERegistryException ошибка, с сообщением: " + message);
    return {};
}

std::string RegistryReader::ReadRegistryString(RegistryRoot root, const std::string& key,
                                               const std::string& subkey, const std::string& valueName) {
    return readString(root, key, subkey, valueName, RegistryView::Default);
}

std::string RegistryReader::ReadRegistryString64(RegistryRoot root, const std::string& key,
                                                 const std::string& subkey, const std::string& valueName) {
    return readString(root, key, subkey, valueName, RegistryView::Wow64_64);
}

std::vector<std::string> RegistryReader::ReadRegistryMultiString(RegistryRoot root, const std::string& key,
                                                                 const std::string& valueName) {
    RegistryRead r = run_.platform().registry.readValue(root, key, valueName, RegistryView::Default);
    if (r.status == RegistryStatus::NoKey)
        return {};
    if (r.status != RegistryStatus::Ok)
        throw RegistryError("Cannot Read MULTI_SZ Value/Kann den MULTI_SZ Wert nicht lesen...");
    if (r.value.type != kRegMultiSz)
        throw RegistryError("Stringlist expected/ String Liste erwartet...");
    std::vector<std::string> out;
    const std::string& d = r.value.data;
    size_t start = 0;
    for (size_t i = 0; i + 1 < d.size(); i += 2) {
        if (d[i] == 0 && d[i + 1] == 0) {
            if (i == start)
                break; // the empty string that ends the list
            out.push_back(registryStringOf(d.substr(start, i - start)));
            start = i + 2;
        }
    }
    // Data that lacks its final NUL still yields its last string.
    if (start + 1 < d.size() && (out.empty() || start < d.size())) {
        std::string rest = registryStringOf(d.substr(start));
        if (!rest.empty())
            out.push_back(rest);
    }
    return out;
}

std::string RegistryReader::FindRegistrySubkeyWithValue(RegistryRoot root, const std::string& key,
                                                        const std::string& valueName) {
    EventLog& log = run_.eventLog();
    Registry& reg = run_.platform().registry;
    log.append(" ");
    log.setColor(LogColor::Blue);
    log.append("Проверяем в: " + key + " существует ли " + valueName);
    log.setColor(LogColor::Black);
    std::string found;
    // Read access is enough to look: asking for full access would find nothing without administrator rights.
    std::optional<RegistryKeyContents> top = reg.readKey(root, key, RegistryView::Default);
    if (!top)
        return found;
    int number = 0;
    for (const std::string& sub : top->subkeys) {
        std::string subPath = joinKey(key, sub);
        std::optional<RegistryKeyContents> s = reg.readKey(root, subPath, RegistryView::Default);
        std::string own;
        if (s)
            for (const RegistryValue& v : s->values)
                if (v.name == sub && (v.type == kRegSz || v.type == kRegExpandSz))
                    own = registryStringOf(v.data);
        log.append("    Ключ № \"" + std::to_string(number++) + "\" : \"" + sub + "\" = \"" + own + "\"");
        log.append("    Обнаружена ветка реестра. Ищем \"" + valueName + "\": \"" + subPath + "\"");
        log.append(" ");
        if (!s)
            continue;
        int valueNumber = 0;
        for (const RegistryValue& v : s->values) {
            int n = valueNumber++;
            if (v.type == kRegSz && v.name == valueName) {
                std::string data = registryStringOf(v.data);
                log.append("      Парметр № \"" + std::to_string(n) + "\" : \"" + v.name + "\" = \"" + data +
                           "\"");
                found = subPath;
                log.append("      " + valueName + " = \"" + data);
                if (!data.empty()) {
                    log.append("      Result = \"" + found);
                    log.append(" ");
                    break;
                }
            }
            if (!found.empty()) {
                log.append("      Result!! = \"" + found);
                break;
            }
        }
    }
    return found;
}

bool RegistryReader::IsWow64() {
    return run_.platform().registry.isWow64();
}

} // namespace kw

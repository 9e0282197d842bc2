// The help menu's address table: the support portal, the maker's and outside sites, the program's documents.
#include "settings/HelpMenu.h"

#include <iterator>

#include "platform/Text.h"

namespace kw {
namespace {

using K = HelpEntryKind;

constexpr HelpEntry kEntries[] = {
    {K::Link, 0, "База знаний СТП ТАВИР", "https://support.tavir.ru/kb/faq/"},
    {K::Link, 0, "Правила обращения в СТП ТАВИР", "https://support.tavir.ru/rules/"},
    {K::Link, 0, "Личный кабинет", "https://support.tavir.ru/servicedesk/"},
    {K::Separator, 0, "", ""},
    {K::Submenu, 0, "Еще...", ""},
    {K::Link, 1, "Сайт ТАВИР", "https://www.tavir.ru/"},
    {K::Link, 1, "Единая Система Сертификации (ЕСС)", "https://ess.tavir.ru/"},
    {K::Link, 1, "Видеоканал ТАВИР на YouTube", "https://www.youtube.com/@tavir_ru"},
    {K::Link, 1, "ТАВИР в twitter", "https://twitter.com/tavir_ru"},
    {K::Link, 1, "ТАВИР в Facebook", "https://www.facebook.com/tavir.ru"},
    {K::Link, 1, "Форум \"Технологии ТАВИР\"", "https://forum.tavir.ru/technologies/"},
    {K::Link, 1, "Форум пользователей ПО ТАВИР", "https://forum.tavir.ru/users/"},
    {K::Separator, 1, "", ""},
    {K::Link, 1, "МИРТАЛ-3D", "https://www.mirtal3d.ru/"},
    {K::Link, 1, "МИРТАЛ-3D и NVIDIA",
     "https://www.nvidia.com/ru-ru/design-visualization/partners/mirtal-3d/"},
    {K::Link, 1, "МИРТАЛ-3D Home Edition", "https://home.mirtal3d.ru/"},
    {K::Link, 1, "Фан-клуб МИРТАЛ-3D Home Edition", "https://vk.com/mirtal3d_home"},
    {K::Link, 1, "ПЕЛТРАН:КБ", "https://www.tavir.ru/products/peltrand-kb/"},
    {K::Link, 1, "МОРВАНТАЙД", "https://www.morvantide.ru/"},
    {K::Separator, 1, "", ""},
    {K::Link, 1, "Определение версии SQL Server", "https://support.microsoft.com/ru-ru/help/321185"},
    {K::Separator, 0, "", ""},
    {K::Link, 0, "Справка", "https://files.support.tavir.ru/KW_Scan/ReadMe.pdf"},
    {K::Link, 0, "Что нового", "https://files.support.tavir.ru/KW_Scan/RelNotes(KW_Scan!).pdf"},
    {K::Link, 0, "Домашняя страница KW_Scan!", "https://support.tavir.ru/kb/kw-scan/"},
    {K::AboutBox, 0, "О программе ...", ""},
};

} // namespace

std::span<const HelpEntry> helpEntries() {
    return kEntries;
}

const HelpEntry& knowledgeBaseLink() {
    return kEntries[0];
}
const HelpEntry& customerAreaLink() {
    return kEntries[2];
}

HMENU buildHelpMenu(int firstCommand) {
    HMENU menus[2] = {CreatePopupMenu(), nullptr};
    for (int i = 0; i < static_cast<int>(std::size(kEntries)); ++i) {
        const HelpEntry& e = kEntries[i];
        HMENU into = menus[e.level];
        if (!into)
            continue;
        switch (e.kind) {
        case K::Separator:
            AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
            break;
        case K::Submenu:
            menus[1] = CreatePopupMenu();
            AppendMenuW(into, MF_POPUP, reinterpret_cast<UINT_PTR>(menus[1]), toWide(e.caption).c_str());
            break;
        default:
            AppendMenuW(into, MF_STRING, static_cast<UINT_PTR>(firstCommand + i), toWide(e.caption).c_str());
        }
    }
    return menus[0];
}

const HelpEntry* helpEntryOfCommand(int firstCommand, int command) {
    int i = command - firstCommand;
    if (i < 0 || i >= static_cast<int>(std::size(kEntries)))
        return nullptr;
    const HelpEntry& e = kEntries[i];
    return e.kind == K::Link || e.kind == K::AboutBox ? &e : nullptr;
}

} // namespace kw

// The help menu "Справка": its entries with the fixed addresses they open, and the menu built from them.
#pragma once
#include <windows.h>

#include <span>
#include <string_view>

namespace kw {

enum class HelpEntryKind { Link, Separator, Submenu, AboutBox };

struct HelpEntry {
    HelpEntryKind kind;
    int level;                // 0 the menu "Справка", 1 its submenu "Еще..."
    std::string_view caption; // the menu item's caption
    std::string_view address; // what a link opens
};

// In menu order; the submenu's entries follow the "Еще..." entry.
std::span<const HelpEntry> helpEntries();

// The links behind the two tool buttons.
const HelpEntry& knowledgeBaseLink(); // ToolButton50 "FAQ - База знаний СТП ТАВИР"
const HelpEntry& customerAreaLink(); // ToolButton51 "ServiceDESK - вопрос в СТП (Личный кабинет)"

// The popup "Справка"; entry i gets the command firstCommand + i.
HMENU buildHelpMenu(int firstCommand);
// The entry of a command of that menu, or nullptr.
const HelpEntry* helpEntryOfCommand(int firstCommand, int command);

} // namespace kw

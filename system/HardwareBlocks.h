// The hardware readings of "hardware.txt": memory, logical drives, screen font and display adapters.
// Each gives the lines the section adds to its text buffer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SystemInfo.h"

namespace kw {

// Bytes to MB the way the memory lines show them: rounded to the nearest, ties to even, plus one.
std::int64_t memoryMegabytes(std::uint64_t bytes);
std::vector<std::string> memoryLines(const MemoryStatus& status);

// Bytes to GB with no decimals (ties away from zero) and the locale's thousands separator.
std::string gigabytesText(std::int64_t bytes, const std::string& thousandSeparator);
std::string driveTypeText(unsigned driveType);
// " ", "Логические разделы: " and one line per drive of the logical-drive mask, A: to Z:.
std::vector<std::string> driveLines(SystemInfo& system);

// The screen-font line (it begins with a line break).
std::string screenFontLine(int pixelsPerInch);
// " ", "Видеокарта: " and one indented line per display adapter.
std::vector<std::string> displayAdapterLines(SystemInfo& system);

} // namespace kw

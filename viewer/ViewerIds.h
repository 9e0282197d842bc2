// Control identifiers inside the results area (tests and the end-to-end test find the controls by them).
#pragma once

namespace kw::viewer_id {

inline constexpr int kPane = 2101;
inline constexpr int kTree = 2102;     // TreeView1
inline constexpr int kText1 = 2103;    // RichEdit7
inline constexpr int kTable1 = 2104;   // StringGrid1
inline constexpr int kCaption1 = 2105; // StaticText2
inline constexpr int kText2 = 2106;    // RichEdit8
inline constexpr int kTable2 = 2107;   // StringGrid2
inline constexpr int kCaption2 = 2108; // StaticText1
inline constexpr int kToolStrip = 2109;
inline constexpr int kWordWrap = 2110; // ToolButton55 "Перенос по словам"
inline constexpr int kOemToAnsi = 2111; // ToolButton45 "Кодировка Dos -> Win (для cmd-файлов)"
inline constexpr int kPlacement = 2112;    // ToolButton39 "Размещение панелей"
inline constexpr int kCompareLines = 2113; // ToolButton46 "Построчное сравнение"
inline constexpr int kCompareAll = 2114;   // "Сравнить все разделы"
inline constexpr int kShowReport = 2115; // "Отчёт сравнения": the report of the last whole comparison
inline constexpr int kReport = 2116; // the report table
inline constexpr int kReportBar = 2117; // its noise options (2117, 2118) and "Сохранить отчёт..." (2119)
inline constexpr int kSearchBar = 2120;

} // namespace kw::viewer_id

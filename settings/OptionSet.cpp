// Option defaults, the couplings between options and the run presets.
#include "settings/OptionSet.h"

#include <algorithm>

namespace kw {
namespace {

using O = Option;

constexpr OptionInfo kOptions[] = {
    {O::SelectAll, "CheckBox2", "Выбрать все ПО", "Выбрать все ПО", false},
    {O::Peltrand, "CheckBox9", "ПЕЛТРАН:PLM", "ПЕЛТРАН:PLM", true},
    {O::PeltrandLogs, "CheckBox23", "журналы", "AutoNotificationListner.log", true},
    {O::PeltrandKB, "CheckBox18", "ПЕЛТРАН:КБ", "Система расчета режимов сварки", true},
    {O::Mirtal, "CheckBox13", "МИРТАЛ-3D", "МИРТАЛ-3D", true},
    {O::MirtalLibs, "CheckBox20", "   Библиотеки и справочники МИРТАЛ-3D", "", false},
    {O::Morvantide, "CheckBox6", "МОРВАНТАЙД", "МОРВАНТАЙД", true},
    {O::StandardParts, "CheckBox12", "Стандартные Изделия", "Библиотека / справочник Стандартные Изделия",
     true},
    {O::Vault, "CheckBox21", "Vault", "", false},
    {O::Tessarin, "CheckBox8", "САПР ТП ТЕССАРИН", "САПР ТП ТЕССАРИН", true},
    {O::SuiteLogs, "CheckBox32", "Логи установки КОМПЛЕКСа", "Логи установки", false},
    {O::Handbook, "CheckBox16", "Справочник технолога", "Универсальный технологический справочник", true},
    {O::Materials, "CheckBox10", "Rudazizod o Ridaduvodu", "Библиотека / справочник Rudazizod o Ridaduvodu",
     true},
    {O::MatRate, "CheckBox14", "Нормирование материалов", "Система нормирования материалов", true},
    {O::TaskRate, "CheckBox19", "Нормирование трудозатрат", "Система трудового нормирования", true},
    {O::FerryOak, "CheckBox24", "Ferry-OAK", "", true},
    {O::PeltrandModules, "CheckBox25", "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД", "", true},
    {O::Quadrix, "Quadrix", "КВАДРИКС:MDM", "", true},
    {O::Md5, "CheckBox3", "Составлять контрольные суммы MD5", "MD5", true},
    {O::SharedFolder, "CheckBox4", "Информация о каталоге TAVIR Shared", "TAVIR Shared", true},
    {O::CommonData, "CheckBox7", "Информация о Каталоге общего доступа (COD)", "Каталог общего доступа",
     true},
    {O::SystemInfo, "CheckBox5", "Информация о системе", "Параметры программного и аппаратного обеспечения",
     true},
    {O::AutoFit, "CheckBox28", "Автоподбор", "", true},
    {O::AutoSort, "CheckBox27", "Автосортировка", "", true},
    {O::Highlight, "CheckBox26", "Выделить цветом", "", true},
    {O::NotSort, "CheckBox30", "Не сортировать по столбцу", "", true},
    {O::Zebra, "CheckBox29", "\"Зебра\"", "", true},
    {O::CompareNoDate, "CheckBox37", "Не учитывать дату", "", true},
    {O::CompareMd5, "RadioButton1", "Учитывать md5", "", false},
    {O::CompareOnlyMd5, "RadioButton2", "Только по md5", "", true},
    {O::CompareNoMd5, "RadioButton3", "Не учитывать md5", "", false},
    {O::NetStat, "CheckBox35", "NetStat", "", true},
    {O::MsOffice, "CheckBox36", "Настройки MS Office", "", false},
    {O::ComPlus, "CheckBox17", "COM+", "", true},
    {O::AutoSave, "CheckBox1", "Автосохранение после сбора", "Возможно не все данные будут сохранены", false},
    {O::MsInfo32, "CheckBox31", "MSinfo32",
     "\"Сведения о системе\" отображает подробные сведения о конфигурации оборудования, компонентах и "
     "программном обеспечении компьютера, включая драйверы",
     false},
    {O::ImportantShared, "CheckBox15", "Важное из \"TAVIR Shared\", \"COD\" и \"Peltrand\"",
     "Файлы в корне \"TAVIR Shared\" и из папок: \\CMC, \\Peltrand, \\Socket Proxy Server, \\COD\\Etalons, "
     "\\COD\\Settings, \\COD\\PluginStore",
     true},
    {O::Debug, "CheckBox22", "Отладочная информация", "", false},
    {O::OpenResultsFolder, "CheckBox5", "Открыть каталог с результатами", "", false},
    {O::WordWrap, "ToolButton55", "Перенос по словам", "", true},
};
static_assert(std::size(kOptions) == static_cast<std::size_t>(Option::Count));

// "Выбрать все ПО" turns these on in this order...
constexpr Option kSelectAllOn[] = {
    O::SystemInfo,   O::CommonData, O::SharedFolder,  O::Tessarin,        O::Peltrand,
    O::PeltrandLogs, O::Md5,        O::StandardParts, O::PeltrandKB,      O::Materials,
    O::Mirtal,       O::MirtalLibs, O::Morvantide,    O::MatRate,         O::Handbook,
    O::TaskRate,     O::SuiteLogs,  O::FerryOak,      O::PeltrandModules, O::Quadrix};
// ...and off in this one.
constexpr Option kSelectAllOff[] = {O::SystemInfo,   O::Tessarin,   O::Peltrand,        O::PeltrandLogs,
                                    O::SharedFolder, O::CommonData, O::PeltrandKB,      O::StandardParts,
                                    O::Materials,    O::MirtalLibs, O::Mirtal,          O::Morvantide,
                                    O::MatRate,      O::Md5,        O::Handbook,        O::TaskRate,
                                    O::SuiteLogs,    O::FerryOak,   O::PeltrandModules, O::Quadrix};

// The options the "Основной" and "Полный" run variants tick.
constexpr Option kPreset[] = {
    O::SystemInfo,      O::Peltrand, O::PeltrandKB, O::Mirtal,  O::Morvantide,   O::StandardParts,
    O::Tessarin,        O::Handbook, O::Materials,  O::MatRate, O::TaskRate,     O::FerryOak,
    O::PeltrandModules, O::Quadrix,  O::SuiteLogs,  O::Md5,     O::SharedFolder, O::CommonData};

// A master option and the option that depends on it: the dependant goes off with its master,
// and any change of the dependant turns the master on.
struct Coupling {
    Option master, dependant;
};
constexpr Coupling kCouplings[] = {
    {O::Mirtal, O::MirtalLibs}, {O::StandardParts, O::Vault}, {O::Peltrand, O::PeltrandLogs}};

// The comparison's radio buttons: one of them on clears the other two.
constexpr Option kCompareRadios[] = {O::CompareMd5, O::CompareOnlyMd5, O::CompareNoMd5};

} // namespace

std::span<const OptionInfo> optionTable() {
    return kOptions;
}

const OptionInfo& optionInfo(Option id) {
    return kOptions[static_cast<std::size_t>(id)];
}

OptionSet::OptionSet() {
    for (const auto& o : kOptions)
        values_[index(o.id)].store(o.formDefault);
}

void OptionSet::set(Option id, bool on) {
    if (get(id) == on)
        return;
    change(id, on);
}

void OptionSet::change(Option id, bool on) {
    values_[index(id)].store(on);
    for (const auto& c : kCouplings) {
        // The master's handler clears the dependant without the dependant's handler answering back.
        if (c.master == id && !on)
            values_[index(c.dependant)].store(false);
        if (c.dependant == id)
            set(c.master, true);
    }
    if (on && std::find(std::begin(kCompareRadios), std::end(kCompareRadios), id) != std::end(kCompareRadios))
        for (Option o : kCompareRadios)
            if (o != id)
                values_[index(o)].store(false);
    // "Выбрать все ПО" sets its group directly: options outside the group (Vault among them) keep their
    // state.
    if (id == O::SelectAll) {
        for (Option o : on ? std::span<const Option>(kSelectAllOn) : std::span<const Option>(kSelectAllOff))
            values_[index(o)].store(on);
    }
}

void OptionSet::setZebraBrightness(int position) {
    zebra_.store(std::clamp(position, kZebraMin, kZebraMax));
}

int alphaForBlendPosition(int position) {
    return 305 - std::clamp(position, kBlendMin, kBlendMax);
}

void OptionSet::applyPreset(RunPreset preset) {
    if (preset == RunPreset::None)
        return;
    for (Option o : kPreset)
        set(o, true);
    set(O::MirtalLibs, preset == RunPreset::Full);
}

} // namespace kw

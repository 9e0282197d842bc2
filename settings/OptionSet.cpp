// Option defaults, the couplings between options and the run presets.
#include "settings/OptionSet.h"

#include <algorithm>

namespace kw {
namespace {

using O = Option;

constexpr OptionInfo kOptions[] = {
    {.id = O::SelectAll, .caption = "Выбрать все ПО", .hint = "Выбрать все ПО"},
    {.id = O::Peltrand, .caption = "ПЕЛТРАН:PLM", .hint = "ПЕЛТРАН:PLM", .formDefault = true},
    {.id = O::PeltrandLogs, .caption = "журналы", .hint = "AutoNotificationListner.log", .formDefault = true},
    {.id = O::PeltrandKB,
     .caption = "ПЕЛТРАН:КБ",
     .hint = "Система расчета режимов сварки",
     .formDefault = true},
    {.id = O::Mirtal, .caption = "МИРТАЛ-3D", .hint = "МИРТАЛ-3D", .formDefault = true},
    {.id = O::MirtalLibs, .caption = "   Библиотеки и справочники МИРТАЛ-3D"},
    {.id = O::Morvantide, .caption = "МОРВАНТАЙД", .hint = "МОРВАНТАЙД", .formDefault = true},
    {.id = O::StandardParts,
     .caption = "Стандартные Изделия",
     .hint = "Библиотека / справочник Стандартные Изделия",
     .formDefault = true},
    {.id = O::Vault, .caption = "Vault"},
    {.id = O::Tessarin, .caption = "САПР ТП ТЕССАРИН", .hint = "САПР ТП ТЕССАРИН", .formDefault = true},
    {.id = O::SuiteLogs, .caption = "Логи установки КОМПЛЕКСа", .hint = "Логи установки"},
    {.id = O::Handbook,
     .caption = "Справочник технолога",
     .hint = "Универсальный технологический справочник",
     .formDefault = true},
    {.id = O::Materials,
     .caption = "Rudazizod o Ridaduvodu",
     .hint = "Библиотека / справочник Rudazizod o Ridaduvodu",
     .formDefault = true},
    {.id = O::MatRate,
     .caption = "Нормирование материалов",
     .hint = "Система нормирования материалов",
     .formDefault = true},
    {.id = O::TaskRate,
     .caption = "Нормирование трудозатрат",
     .hint = "Система трудового нормирования",
     .formDefault = true},
    {.id = O::FerryOak, .caption = "Ferry-OAK", .formDefault = true},
    {.id = O::PeltrandModules, .caption = "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД", .formDefault = true},
    {.id = O::Quadrix, .caption = "КВАДРИКС:MDM", .formDefault = true},
    {.id = O::Md5, .caption = "Составлять контрольные суммы MD5", .hint = "MD5", .formDefault = true},
    {.id = O::SharedFolder,
     .caption = "Информация о каталоге TAVIR Shared",
     .hint = "TAVIR Shared",
     .formDefault = true},
    {.id = O::CommonData,
     .caption = "Информация о Каталоге общего доступа (COD)",
     .hint = "Каталог общего доступа",
     .formDefault = true},
    {.id = O::SystemInfo,
     .caption = "Информация о системе",
     .hint = "Параметры программного и аппаратного обеспечения",
     .formDefault = true},
    {.id = O::AutoFit, .caption = "Автоподбор", .formDefault = true},
    {.id = O::AutoSort, .caption = "Автосортировка", .formDefault = true},
    {.id = O::Highlight, .caption = "Выделить цветом", .formDefault = true},
    {.id = O::NotSort, .caption = "Не сортировать по столбцу", .formDefault = true},
    {.id = O::Zebra, .caption = "\"Зебра\"", .formDefault = true},
    {.id = O::CompareNoDate, .caption = "Не учитывать дату", .formDefault = true},
    {.id = O::CompareMd5, .caption = "Учитывать md5"},
    {.id = O::CompareOnlyMd5, .caption = "Только по md5", .formDefault = true},
    {.id = O::CompareNoMd5, .caption = "Не учитывать md5"},
    {.id = O::NetStat, .caption = "NetStat", .formDefault = true},
    {.id = O::MsOffice, .caption = "Настройки MS Office"},
    {.id = O::ComPlus, .caption = "COM+", .formDefault = true},
    {.id = O::AutoSave,
     .caption = "Автосохранение после сбора",
     .hint = "Возможно не все данные будут сохранены"},
    {.id = O::MsInfo32,
     .caption = "MSinfo32",
     .hint =
         "\"Сведения о системе\" отображает подробные сведения о конфигурации оборудования, компонентах и "
         "программном обеспечении компьютера, включая драйверы"},
    {.id = O::ImportantShared,
     .caption = "Важное из \"TAVIR Shared\", \"COD\" и \"Peltrand\"",
     .hint = "Файлы в корне \"TAVIR Shared\" и из папок: \\CMC, \\Peltrand, \\Socket Proxy Server, "
             "\\COD\\Etalons, "
             "\\COD\\Settings, \\COD\\PluginStore",
     .formDefault = true},
    {.id = O::HidePasswords,
     .caption = "Скрывать пароли в пакете",
     .hint = "В файлах пакета пароли, ключи и токены заменяются на ********; что скрыто, перечислено в "
             "KW_Masked.csv. Каталог с результатами хранит исходные файлы.",
     .formDefault = true},
    {.id = O::Debug, .caption = "Отладочная информация"},
    {.id = O::OpenResultsFolder, .caption = "Открыть каталог с результатами"},
    {.id = O::WordWrap, .caption = "Перенос по словам", .formDefault = true},
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

// In the order of StartVariant, which startVariantInfo indexes by.
constexpr StartVariantInfo kStartVariants[] = {
    {.variant = StartVariant::PerSettings,
     .hint = "Сбор информации в соответствии с настройками",
     .runType = "По настройкам"},
    {.variant = StartVariant::Main,
     .hint = "Сбор информации о системе и установленном ПО ТАВИР",
     .runType = "Основной"},
    {.variant = StartVariant::Full,
     .hint = "Сбор информации о системе и установленном ПО ТАВИР (включая информацию о библиотеках МИРТАЛ)",
     .runType = "Полный"},
};

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

const StartVariantInfo& startVariantInfo(StartVariant v) {
    return kStartVariants[static_cast<std::size_t>(v)];
}

void OptionSet::applyPreset(StartVariant variant) {
    if (variant == StartVariant::PerSettings)
        return;
    for (Option o : kPreset)
        set(o, true);
    set(O::MirtalLibs, variant == StartVariant::Full);
}

} // namespace kw

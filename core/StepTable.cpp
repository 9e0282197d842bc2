#include "core/StepTable.h"

namespace kw {
namespace {

using S = Section;
using O = Option;
using B = BannerPlace;

constexpr S kSystem[] = {S::ExportSystemRegistryBranches, S::RunConsoleCommands, S::CollectSystemSection};
constexpr S kCommonData[] = {S::CollectCommonDataFolder};
constexpr S kShared[] = {S::CollectSharedFolder};
constexpr S kPeltrand[] = {S::Peltrand};
constexpr S kMirtalMain[] = {S::MirtalMain};
constexpr S kMirtalHome[] = {S::CollectMirtalHome};
constexpr S kMirtalViewer[] = {S::CollectMirtalViewer};
constexpr S kMorvantide[] = {S::CollectMorvantide};
constexpr S kTessarin[] = {S::Tessarin};
constexpr S kHandbook[] = {S::Handbook};
constexpr S kStandardParts[] = {S::StandardParts};
constexpr S kMaterials[] = {S::CollectMaterials};
constexpr S kUnits[] = {S::CollectUnits};
constexpr S kMatRate[] = {S::CollectMatRate};
constexpr S kTaskRate[] = {S::CollectTaskRate};
constexpr S kPeltrandKB[] = {S::CollectPeltrandKB};
constexpr S kFerry[] = {S::CollectFerryLogs};
constexpr S kModules[] = {S::CollectPeltrandModules};
constexpr S kQuadrix[] = {S::CollectQuadrix};

const Topic kSystemTopics[] = {
    {O::SystemInfo,
     "Информация о системе",
     kSystem,
     "[X] Не могу собрать \"Информацию о системе\", не активна настройка",
     {},
     B::None,
     true},
    {O::CommonData, "COD", kCommonData, "[X] Не могу собрать \"COD\", не активна настройка"},
    {O::SharedFolder, "TAVIR Shared", kShared, "[X] Не могу собрать \"TAVIR Shared\", не активна настройка"},
};

const Topic kProducts[] = {
    {O::Peltrand, "ПЕЛТРАН", kPeltrand, "[X] ПЕЛТРАН",
     "\r\n********************* ПЕЛТРАН *********************", B::BeforeCaption},
    {O::Mirtal, "МИРТАЛ-3D MCAD/AEC ", kMirtalMain, "[X] МИРТАЛ-3D MCAD/AEC"},
    {O::Mirtal, "МИРТАЛ-3D Home ", kMirtalHome, "[X] МИРТАЛ-3D Home"},
    {O::Mirtal, "МИРТАЛ-3D Viewer ", kMirtalViewer, "[X] МИРТАЛ-3D Viewer"},
    {O::Morvantide, "МОРВАНТАЙД ", kMorvantide, "[X] МОРВАНТАЙД"},
    {O::Tessarin, "САПР ТП ТЕССАРИН ", kTessarin, "[X] САПР ТП ТЕССАРИН"},
    {O::Handbook, "Справочник технолога ", kHandbook, "[X] Справочник технолога"},
    {O::StandardParts, "Стандартные Изделия ", kStandardParts, "[X] Стандартные Изделия"},
    {O::Materials, "Rudazizod o Ridaduvodu ", kMaterials, "[X] Rudazizod o Ridaduvodu",
     "\r\n********************* DiZ *********************", B::AfterCaption},
    {std::nullopt, "Единицы измерения ", kUnits, {}},
    {O::MatRate, "Нормирование материалов ", kMatRate, "[X] Нормирование материалов"},
    {O::TaskRate, "Нормирование трудозатрат ", kTaskRate, "[X] Нормирование трудозатрат"},
    {O::PeltrandKB, "ПЕЛТРАН:КБ ", kPeltrandKB, "[X] ПЕЛТРАН:КБ",
     "\r\n********************* ПЕЛТРАН:КБ *********************", B::BeforeCaption},
    {O::FerryOak, "Ferry-OAK ", kFerry, "[X] Ferry-OAK",
     "\r\n********************* Ferry-OAK *********************", B::BeforeCaption},
    {O::PeltrandModules, "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД ", kModules, "[X] ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД",
     "\r\n********************* ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД *********************", B::BeforeCaption},
    {O::Quadrix, "КВАДРИКС:MDM ", kQuadrix, "[X] КВАДРИКС:MDM",
     "\r\n********************* КВАДРИКС:MDM *********************", B::BeforeCaption},
};

const RunStep kSteps[] = {
    {0, StepKind::Preparation, nullptr},
    {4, StepKind::System, nullptr},
    {8, StepKind::Product, &kProducts[0]},
    {12, StepKind::Product, &kProducts[1]},
    {16, StepKind::Product, &kProducts[2]},
    {20, StepKind::Product, &kProducts[3]},
    {24, StepKind::Product, &kProducts[4]},
    {28, StepKind::Product, &kProducts[5]},
    {32, StepKind::Product, &kProducts[6]},
    {36, StepKind::Product, &kProducts[7]},
    {40, StepKind::Product, &kProducts[8]},
    {44, StepKind::Product, &kProducts[9]},
    {48, StepKind::Product, &kProducts[10]},
    {52, StepKind::Product, &kProducts[11]},
    {56, StepKind::Product, &kProducts[12]},
    {60, StepKind::Product, &kProducts[13]},
    {64, StepKind::Product, &kProducts[14]},
    {68, StepKind::Product, &kProducts[15]},
    {kCompletionValue, StepKind::Completion, nullptr},
};

} // namespace

std::span<const RunStep> runSteps() {
    return kSteps;
}
std::span<const Topic> systemTopics() {
    return kSystemTopics;
}

} // namespace kw

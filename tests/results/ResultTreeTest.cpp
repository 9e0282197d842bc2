// The result tree against the list of topics it must show: every node's text, nesting, view kind and
// file, in order; the searches over the tree and its export.
#include "results/ResultTree.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "results/LocaleText.h"

namespace kw {
namespace {

// The topic list as the support service defines it: two blanks of indent per level, the text in
// quotes, then T/C/G and the file, or a dash for a category.
const char* const kExpected = R"LIST(- "Параметры программного обеспечения" T "software.txt"
  - "Мой компьютер / Приложения COM+" —
    - "TAVIR Applications" T "TAVIR_Applications.rtf"
    - "TAVIR Applications Proxy" T "TAVIR_Applications_Proxy.rtf"
    - "TAVIR Sync" T "TAVIR_Sync.rtf"
    - "ELEMLib Server Applications" T "ELEMLib_Server_Applications.rtf"
    - "ELEMLibInv" T "ELEMLibInv.rtf"
    - "Dazudadurir" T "Dazudadurir.rtf"
    - "Peltrand Server Applications" T "Peltrand_Server_Applications.rtf"
    - "TAVIR BPM" T "TAVIR_BPM.rtf"
  - "Команды консоли - cmd" —
    - "IPconfig /all - полная конфигурация TCP/IP для всех адаптеров" C "(cmd)ipconfig_all.txt"
    - "SystemInfo - подробные сведения о конфигурации компьютера, ОС и т.д." C "(cmd)systeminfo.txt"
    - "Net Accounts - политики учетных записей" C "(cmd)Net_Accounts.txt"
    - "Net LocalGroup - локальные группы" C "(cmd)net_localgroup.txt"
    - "Net LocalGroup /domain - доменные группы" C "(cmd)net_localgroup_d.txt"
    - "Net LocalGroup Administrators" C "(cmd)net_localgroup_as.txt"
    - "Net LocalGroup Администраторы" C "(cmd)net_localgroup_a.txt"
    - "Net Share - общие ресурсы" C "(cmd)net_share.txt"
    - "Net Start - активные службы Windows" C "(cmd)net_start.txt"
    - "Net Statistics Server" C "(cmd)Net_Statistics_Server.txt"
    - "Net Statistics Workstation" C "(cmd)Net_Statistics_Workstation.txt"
    - "Net Use - сетевые диски" C "(cmd)net_use.txt"
    - "Net User - учетные записи пользователей" C "(cmd)Net_User.txt"
    - "Net User <user> - пользователь" C "(cmd)Net_User_.txt"
    - "Net User <user> /domain - пользователь" C "(cmd)Net_User_d.txt"
    - "Net View - компьютеры в сети" C "(cmd)net_view.txt"
    - "NetStat -a -b -n -o - активные подключения TCP" C "(cmd)netstat.txt"
    - "Sc Query - сведения об активных службах" C "(cmd)sc_query.txt"
    - "Sc Query State= All - сведения о службах" C "(cmd)sc_query_all.txt"
    - "Set - список установленных переменных среды и их значений" C "(cmd)set.txt"
    - "SQLcmd /L - список серверов" C "(cmd)sqlcmd.txt"
    - "TaskList - список приложений и служб с кодом процесса (PID) для всех задач" C "(cmd)tasklist.txt"
  - "TAVIR Shared" —
    - "Список файлов [TAVIR Shared]" G "(TAVIR_Shared)Files.csv"
    - "Разрешения (cacls) для каталога [TAVIR Shared]" C "(cmd)(TAVIR_Shared)cacls.txt"
  - "Каталог общего доступа - COD" —
    - "Библиотека шифрования - PCrypt.ini" T "PCrypt.ini"
    - "PeltrandCommon.ini" T "PeltrandCommon.ini"
    - "MasterCache.ini" T "MasterCache.ini"
    - "Список файлов [COD]" G "(COD)Files.csv"
    - "Разрешения (cacls) для каталога [COD]" C "(cmd)(COD)cacls.txt"
  - "Socket Proxy Server" T "(REG)SocketProxyServer.txt"
    - "SocketProxyServer.log" T "SocketProxyServer.log"
    - "SocketProxySvc.log" T "SocketProxySvc.log"
  - "Данные в реестре" —
    - "HKCU_TAVIR [HKEY_CURRENT_USER\SOFTWARE\TAVIR]" T "(REG)HKCU_TAVIR.txt"
    - "(x64) HKCU_TAVIR [HKEY_CURRENT_USER\SOFTWARE\TAVIR]" T "(REG)(64)HKCU_TAVIR.txt"
    - "HKLM_TAVIR [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR]" T "(REG)HKLM_TAVIR.txt"
    - "(x64) HKLM_TAVIR [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR]" T "(REG)(64)HKLM_TAVIR.txt"
    - "[HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Microsoft\Windows\Installer]" T "(REG)Policies_Installer.txt"
    - "(x64) [HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Microsoft\Windows\Installer]" T "(REG)(64)Policies_Installer.txt"
    - ".NETFramework" T "(REG)NETFramework.txt"
    - "NET Framework Setup\NDP" T "(REG)NETFrameworkNDP.txt"
    - "Microsoft SQL Server" T "(REG)MS_SQL_Server.txt"
    - "MSSQLServer" T "(REG)MSSQLServer.txt"
    - "ORACLE" T "(REG)ORACLE.txt"
    - "Настройки MS Office" T "(REG)Office.txt"
    - "Протокол SMB 2.0 - задержки с открытием файла" T "(REG)SMB2.txt"
    - "Сетевые каталоги" T "(REG)Network.txt"
    - "Язык и региональные стандарты" T "(REG)International.txt"
  - "Журналы установки КОМПЛЕКСа" G "Install_log.csv"
  - "Каталоги" T "Paths.txt"
  - "Установленные программы" G "programs.csv"
  - "(x64) Установленные программы" G "programs64.csv"
- "Параметры аппаратного обеспечения" T "hardware.txt"
  - "BIOS" T "(REG)BIOS.txt"
  - "DxDiag" T "DxDiag.txt"
  - "Устройства и принтеры" T "(REG)Devices.txt"
    - "Свойства принтеров" T "(REG)Print_E.txt"
- "ТЕССАРИН / Справочник технолога" —
  - "ТЕССАРИН" T "(REG)Tessarin.txt"
    - "Список файлов [Tessarin]" G "(Tessarin)Files.csv"
    - "Разрешения (cacls) для каталога [Tessarin]" C "(cmd)(Tessarin)cacls.txt"
  - "Справочник технолога" T "(REG)Handbrix.txt"
    - "Список файлов [Handbrix]" G "(Handbrix)Files.csv"
    - "Разрешения (cacls) для каталога [Handbrix]" C "(cmd)(Handbrix)cacls.txt"
  - "Нормирование трудозатрат" T "(REG)TaskRate.txt"
    - "Список файлов [TaskRate]" G "(TaskRate)Files.csv"
    - "Разрешения (cacls) для каталога [TaskRate]" C "(cmd)(TaskRate)cacls.txt"
  - "Журналы" —
    - "LogApp.log" T "(Tessarin)LogApp.log"
    - "TechReferlog.txt журнал в [Temp]" T "(Tessarin)TechReferlog.txt"
    - "HBLogDebug.txt журнал отладки в [Temp]" T "(Tessarin)HBLogDebug.txt"
    - "HBLogError.txt журнал ошибок в [Temp]" T "(Tessarin)HBLogError.txt"
    - "TessarinLog.xml" T "(Tessarin)TessarinLog.xml"
    - "HBLogError.xml" T "(Tessarin)HBLogError.xml"
    - "csv журналы в [Temp]" G "(Tessarin)_Log.csv"
  - "Настройки" —
    - "Data.ini [Tessarin\Data]" T "(Tessarin)Data.ini"
    - "Integrity.ini [Tessarin\Data]" T "(Tessarin)Integrity.ini"
    - "ReportManager.ini [Tessarin\Charts2]" T "(Tessarin)ReportManager.ini"
    - "ChangeOperCode.ini [Tessarin\Welding\bin]" T "(Tessarin)ChangeOperCode.ini"
    - "LinkModule.ini [Tessarin\Welding\bin]" T "(Tessarin)LinkModule.ini"
    - "MisID.ini [Tessarin\Welding\bin]" T "(Tessarin)MisID.ini"
    - "ModuleVars.ini [Tessarin\Welding\bin]" T "(Tessarin)ModuleVars.ini"
    - "ModuleVars.xml [Tessarin\Welding\bin]" T "(Tessarin)ModuleVars.xml"
    - "SeamControl.ini [Tessarin\Welding\bin]" T "(Tessarin)SeamControl.ini"
- "МОРВАНТАЙД" T "(REG)Morvantide.txt"
  - "Morvantide.ini" T "(Morvantide)"
  - "Список файлов [Morvantide]" G "(Morvantide)Files.csv"
  - "Разрешения (cacls) для каталога [Morvantide]" C "(cmd)(Morvantide)cacls.txt"
- "Единицы измерения" —
  - "Библиотека Единицы измерения [HKLM\MeasurementLib]" T "(REG)MeasurementLib.txt"
    - "Список файлов [MeasurementLib]" G "(MeasurementLib)Files.csv"
    - "Разрешения (cacls) для каталога [MeasurementLib]" C "(cmd)(MeasurementLib)cacls.txt"
  - "Корпоративный справочник Единицы измерения [HKLM\Dazudadurir]" T "(REG)Dazudadurir.txt"
    - "Список файлов [Dazudadurir]" G "(Dazudadurir)Files.csv"
    - "Разрешения (cacls) для каталога [Dazudadurir]" C "(cmd)(Dazudadurir)cacls.txt"
- "МИРТАЛ-3D" —
  - "МИРТАЛ-3D Home" T "(REG)MIRTAL_Home.txt"
    - "mHome.ini" T "(MIRTAL_Home)mHome.ini"
    - "Список файлов [MIRTAL-3D Home Vxx\Bin]" G "(MIRTAL_Home_Bin)Files.csv"
    - "Список файлов [MIRTAL-3D Home Vxx\Sys]" G "(MIRTAL_Home_sys)Files.csv"
    - "Список файлов [MIRTAL-3D Home Vxx\Libs]" G "(MIRTAL_Home_Libs)Files.csv"
    - "Разрешения (cacls) для каталога [MIRTAL-3D Home]" C "(cmd)(MIRTAL_Home)cacls.txt"
  - "МИРТАЛ-3D MCAD/AEC" T "(REG)MIRTAL.txt"
    - "mirtal.ini" T "(MIRTAL)mirtal.ini"
    - "Список файлов [MIRTAL-3D Vxx\Bin]" G "(MIRTAL_Bin)Files.csv"
    - "Список файлов [MIRTAL-3D Vxx\Sys]" G "(MIRTAL_sys)Files.csv"
    - "Список файлов [MIRTAL-3D Vxx\Libs]" G "(MIRTAL_Libs)Files.csv"
    - "Разрешения (cacls) для каталога [MIRTAL-3D]" C "(cmd)(MIRTAL)cacls.txt"
    - "mHome.ini " T "(MIRTAL)mHome.ini"
  - "МИРТАЛ-3D Viewer" T "(REG)MIRTAL_Viewer.txt"
    - "mViewer.ini" T "(MIRTAL_Viewer)mViewer.ini"
    - "Список файлов [MIRTAL-3D Viewer Vxx\Bin]" G "(MIRTAL_Viewer_Bin)Files.csv"
    - "Список файлов [MIRTAL-3D Viewer Vxx\Sys]" G "(MIRTAL_Viewer_sys)Files.csv"
    - "Список файлов [MIRTAL-3D Viewer Vxx\Libs]" G "(MIRTAL_Viewer_Libs)Files.csv"
    - "Разрешения (cacls) для каталога [MIRTAL-3D Viewer]" C "(cmd)(MIRTAL_Viewer)cacls.txt"
  - "Данные МИРТАЛ-3D в реестре (х86)" —
    - "HKLM_MIRTAL-3D [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D]" T "(REG)HKLM_MIRTAL-3D_.txt"
    - "HKLM_Mirtal [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\Mirtal]" T "(REG)HKLM_Mirtal.txt"
    - "HKLM_MIRTAL-3D LT [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D LT]" T "(REG)HKLM_MIRTAL-3D_LT.txt"
    - "HKLM_MIRTAL LT [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL LT]" T "(REG)HKLM_MIRTAL_LT.txt"
    - "HKLM_MIRTAL-3D SE [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D SE]" T "(REG)HKLM_MIRTAL-3D_SE.txt"
    - "HKLM_MIRTAL Viewer [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL Viewer]" T "(REG)HKLM_MIRTAL_Viewer.txt"
    - "HKLM_MIRTAL-3D Viewer [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D Viewer]" T "(REG)HKLM_MIRTAL-3D_Viewer.txt"
    - "HKLM_MIRTAL-3D_HOME [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D HOME]" T "(REG)HKLM_MIRTAL-3D_HOME_.txt"
    - "HKLM_MIRTAL-SPDS [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-SPDS]" T "(REG)HKLM_MIRTAL-SPDS.txt"
    - "HKLM_Classifier [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\Classifier]" T "(REG)HKLM_Classifier.txt"
  - "Данные МИРТАЛ-3D в реестре (х64)" —
    - "(x64) HKLM_MIRTAL-3D [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D]" T "(REG)(64)HKLM_MIRTAL-3D_.txt"
    - "(x64) HKLM_Mirtal [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\Mirtal]" T "(REG)(64)HKLM_Mirtal.txt"
    - "(x64) HKLM_MIRTAL-3D LT [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D LT]" T "(REG)(64)HKLM_MIRTAL-3D_LT.txt"
    - "(x64) HKLM_MIRTAL LT [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL LT]" T "(REG)(64)HKLM_MIRTAL_LT.txt"
    - "(x64) HKLM_MIRTAL-3D SE [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D SE]" T "(REG)(64)HKLM_MIRTAL-3D_SE.txt"
    - "(x64) HKLM_MIRTAL Viewer [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL Viewer]" T "(REG)(64)HKLM_MIRTAL_Viewer.txt"
    - "(x64) HKLM_MIRTAL-3D Viewer [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D Viewer]" T "(REG)(64)HKLM_MIRTAL-3D_Viewer.txt"
    - "(x64) HKLM_MIRTAL-3D_HOME [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-3D HOME]" T "(REG)(64)HKLM_MIRTAL-3D_HOME_.txt"
    - "(x64) HKLM_MIRTAL-SPDS [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\MIRTAL-SPDS]" T "(REG)(64)HKLM_MIRTAL-SPDS.txt"
    - "(x64) HKLM_Classifier [HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\Classifier]" T "(REG)(64)HKLM_Classifier.txt"
- "ПЕЛТРАН:PLM" T "(REG)Peltrand.txt"
  - "Сервер приложений [Peltrand\AppServer]" —
    - "PeltrandAppServerMain.ini" T "(Peltrand)PeltrandAppServerMain.ini"
    - "PeltrandAppServerMain.log" T "(Peltrand)PeltrandAppServerMain.log"
    - "PeltrandPasswd.ini" T "(Peltrand)PeltrandPasswd.ini"
  - "Настройки интегратора и прокси [Peltrand\Client\Integrator]" —
    - "PeltrandIntegrator.log" T "PeltrandIntegrator.log"
    - "PeltrandIntegrator.ini" T "PeltrandIntegrator.ini"
    - "M3DPropTab.ini - МИРТАЛ-3D" T "(Peltrand)M3DPropTab.ini"
    - "TessarinPropTab.ini - ТЕССАРИН" T "(Peltrand)TessarinPropTab.ini"
    - "MRCalcPropTab.ini - Нормирование материалов" T "(Peltrand)MRCalcPropTab.ini"
    - "DX_PropTab.ini - Драфтекс" T "(Peltrand)DX_PropTab.ini"
    - "SWPropTab.ini" T "(Peltrand)SWPropTab.ini"
    - "CAM_proxy.ini" T "(Peltrand)CAM_proxy.ini"
    - "AutoCADPropTab.ini" T "(Peltrand)AutoCADPropTab.ini"
    - "eCADPropTab.ini" T "(Peltrand)eCADPropTab.ini"
  - "Настройки модулей в [Peltrand\Client]" —
    - "АРМ Технолога - TechARM.ini" T "(Peltrand)TechARM.ini"
    - "АРМ Технолога - ExportTPService.ini" T "(Peltrand)ExportTPService.ini"
    - "АРМ Технолога - Settings.xml" T "(Peltrand)Settings.xml"
    - "Архив K2009 - Archive.ini" T "(Peltrand)Archive.ini"
    - "Архив K2011 - (AU)Archive.ini" T "(AU)Archive.ini"
    - "Архив K2011 - (COD)Archive.ini" T "(COD)Archive.ini"
    - "Извещения К2009 - changes.Ini" T "(Peltrand)changes.Ini"
    - "Извещения К2011 - Changes.xml" T "Changes.xml"
    - "Извещения К2011 - BlankStyles.ini" T "BlankStyles.ini"
    - "ARMTech.ini" T "(Peltrand)ARMTech.ini"
    - "Effectivity.ini" T "(Peltrand)Effectivity.ini"
    - "elCSV.ini" T "(Peltrand)elCSV.ini"
    - "RequestPlugin.ini" T "(Peltrand)RequestPlugin.ini"
    - "RequestPlanPlugin.ini" T "(Peltrand)RequestPlanPlugin.ini"
    - "Список файлов [PluginStore]" G "(PeltrandPluginStore)Files.csv"
    - "Разрешения (cacls) для каталога [PluginStore]" C "(cmd)(PeltrandPluginStore)cacls.txt"
  - "ПЕЛТРАН Расцеховщик [Peltrand\Wrokan]" T "(REG)Wrokan.txt"
    - "Division.ini" T "(Wrokan)Division.ini"
    - "config.xml [Wrokan]" T "(Wrokan)config.xml"
    - "WrokanConf.ini" T "(Wrokan)WrokanConf.ini"
  - "ПЕЛТРАН-Технолог" —
    - "PT.ini" T "PT.ini"
    - "Список файлов [PT]" G "(Peltrand_PT_Settings)Files.csv"
    - "Разрешения (cacls) для каталога [PT]" C "(cmd)(PT)cacls.txt"
    - "Разрешения (cacls) для [PT.mdb]" C "(cmd)(PT.mdb)cacls.txt"
  - "ПЕЛТРАН:ПГС" —
    - "PeltrandPGS.ini" T "PeltrandPGS.ini"
    - "Список файлов [PeltrandPGS]" G "(PeltrandPGS)Files.csv"
    - "Разрешения (cacls) для каталога [PeltrandPGS]" C "(cmd)(PeltrandPGS)cacls.txt"
  - "ПЕЛТРАН:ОРД" —
    - "PeltrandORD.ini" T "PeltrandORD.ini"
    - "Список файлов [PeltrandORD]" G "(PeltrandORD)Files.csv"
    - "Разрешения (cacls) для каталога [PeltrandORD]" C "(cmd)(PeltrandORD)cacls.txt"
  - "Журналы" —
    - "Audit.log" T "(Peltrand)Audit.log"
    - "AutoNotificationListner.log" T "(Peltrand)AutoNotificationListner.log"
    - "CMCPeltrandMailService.log" T "(Peltrand)CMCPeltrandMailService.log"
    - "Monitoring.log" T "(Peltrand)Monitoring.log"
    - "PrintIT.log" T "(Peltrand)PrintIT.log"
    - "SettingUpCOMPlus.log" T "(Peltrand)SettingUpCOMPlus.log"
    - "WFScriptLog.txt" T "(Peltrand)WFScriptLog.txt"
  - "Peltrand.ini [Peltrand\Client]" T "Peltrand.ini"
  - "ClassifierESKD.ini [Peltrand\Client]" T "ClassifierESKD.ini"
  - "Список файлов [Peltrand]" G "(Peltrand)Files.csv"
  - "Разрешения (cacls) для каталога [Peltrand]" C "(cmd)(Peltrand)cacls.txt"
- "ПЕЛТРАН:КБ" —
  - "Данные ПЕЛТРАН:КБ в реестре" —
    - "[HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\Nerla]" T "(REG)PeltrandKB_Nerla.txt"
    - "[HKEY_LOCAL_MACHINE\SOFTWARE\TAVIR\Setup]" T "(REG)PeltrandKB_Setup.txt"
    - "TAVIR Bridge Service" T "(REG)TBS.txt"
  - "Список файлов [PeltrandKB]" G "(PeltrandKB)Files.csv"
  - "Список файлов [DeploymentService]" G "(DeploymentService)Files.csv"
  - "Список файлов [BPMAppServer]" G "(BPMAppServer)Files.csv"
  - "Список файлов [BridgeClient]" G "(BridgeClient)Files.csv"
  - "Список файлов [BridgeService]" G "(BridgeService)Files.csv"
- "Rudazizod o Ridaduvodu" T "(Materials)Set.txt"
  - "RDService" T "(REG)RDService.txt"
    - "RDService.ini" T "(Materials)RDService.ini"
  - "Библиотека Rudazizod o Ridaduvodu [HKLM\MaterialsLib]" T "(REG)MaterialsLib.txt"
    - "Список файлов [MaterialsLib]" G "(MaterialsLib)Files.csv"
    - "Разрешения (cacls) для каталога [MaterialsLib]" C "(cmd)(MaterialsLib)cacls.txt"
  - "Корпоративный справочник Rudazizod o Ridaduvodu [HKLM\Materials]" T "(REG)Materials.txt"
    - "Список файлов [Materials]" G "(Materials)Files.csv"
    - "Разрешения (cacls) для каталога [Materials]" C "(cmd)(Materials)cacls.txt"
  - "418F55FF-BD08-42FC-9ECB-D288B3FDF148" T "(REG)418F55FF.txt"
  - "Administrator.ini (AU)" T "(AU)Administrator.ini"
  - "ConnectionConfig.ini (AU)" T "(AU)ConnectionConfig.ini"
  - "config.xml (AD)" T "(Materials)config.xml"
  - "SetDCOM.log" T "(Materials)SetDCOM.log"
- "Нормирование материалов" T "(REG)Matrate.txt"
  - "Журналы MatRate" —
    - "Configurator.html" T "(MatRate)Configurator.html"
    - "MatRate.html" T "(MatRate)MatRate.html"
    - "CalcEditor.html" T "(MatRate)CalcEditor.html"
  - "MatRate.cfg" T "(MatRate)MatRate.cfg"
  - "TV_Int.ini" T "(MatRate)TV_Int.ini"
  - "Список файлов [MatRate]" G "(MatRate)Files.csv"
  - "Разрешения (cacls) для каталога [MatRate]" C "(cmd)(MatRate)cacls.txt"
- "КВАДРИКС:MDM" T "(REG)Quadrix.txt"
  - "Configuration.xml [Quadrix]" T "(Quadrix)Configuration.xml"
  - "QuadrixClient.Log" T "(Quadrix)QuadrixClient.Log"
  - "ClientConfiguration.xml" T "(Quadrix)ClientConfiguration.xml"
  - "QuadrixMatMirtal.cfg" T "(Quadrix)QuadrixMatMirtal.cfg"
  - "Quadrix журналы в [Temp]" G "(Quadrix)_Log.csv"
  - "Список файлов [Quadrix\Bin]" G "(Quadrix)Files.csv"
  - "Разрешения (cacls) для каталога [Quadrix\Bin]" C "(cmd)(Quadrix)cacls.txt"
- "Стандартные изделия" —
  - "Данные СИ в реестре (х86)" —
    - "HKLM_ELEMLib" T "(REG)ELEMLib.txt"
    - "HKCU_ELEMLib" T "(REG)HKCU_ELEMLib.txt"
    - "МИРТАЛ_ELEMLib" T "(REG)MIR_ELEMLib.txt"
  - "Данные СИ в реестре (x64)" —
    - "(x64) HKLM_ELEMLib" T "(REG)(64)ELEMLib.txt"
    - "(x64) HKCU_ELEMLib" T "(REG)(64)HKCU_ELEMLib.txt"
    - "(x64) МИРТАЛ_ELEMLib" T "(REG)(64)MIR_ELEMLib.txt"
  - "Журналы СИ" —
    - "ELEMLibClient" T "(ELEMLib)ELEMLibClient.log"
    - "ELEMLibServer(AD)" T "(ELEMLib)(AD)ELEMLibServer.log"
    - "ELEMLibServer(PF)" T "(ELEMLib)(PF)ELEMLibServer.log"
    - "ELEMLibServer(AU)" T "(ELEMLib)(AU)ELEMLibServer.log"
    - "elclient_mirtal" T "(ELEMLib)elclient_mirtal.log"
    - "conv(AD)" T "(ELEMLib)(AD)conv.log"
    - "conv(PF)" T "(ELEMLib)(PF)conv.log"
    - "conv(AU)" T "(ELEMLib)(AU)conv.log"
    - "CMCElemLib" T "(ELEMLib)CMCElemLib.log"
    - "elIndexation.log" T "(ELEMLib)elIndexation.log"
    - "elclient_acad.log" T "(ELEMLib)elclient_acad.log"
    - "Import.log" T "(ELEMLib)Import.log"
    - "Files.log" T "(ELEMLib)Files.log"
    - "Export.log" T "(ELEMLib)Export.log"
  - "Хранилище файлов БД [Vault]" —
    - "Список файлов [Vault]" G "(ELEMLib)Vault_Files.csv"
    - "Список файлов [Vault\DataSets]" G "(ELEMLib)DataSets_Files.csv"
    - "Разрешения (cacls) для каталога [Vault]" C "(cmd)(ELEMLib)Vault_cacls.txt"
  - "ElemlibBase.ini" T "(ELEMLib)ElemlibBase.ini"
  - "ElemlibCMC.ini" T "(ELEMLib)ElemlibCMC.ini"
  - "Список файлов [SP/HotFix]" G "(ELEMLib_HotFix)Files.csv"
  - "Список файлов [ElemLib\Clients]" G "(ELEMLib_Clients)Files.csv"
  - "Список файлов [ElemLib\Server]" G "(ELEMLib_Server)Files.csv"
  - "Разрешения (cacls) для каталога [ElemLib]" C "(cmd)(ELEMLib)cacls.txt"
- "Ferry-OAK" G "(Ferry-OAK)_Log.csv"
- "KW_Scan!" T "KW_Scan!.rtf"
  - "Снимки экрана" G "KW_scan_Screenshots.csv"
  - "KW_scan.ini" T "KW_scan.ini"
  - "События" T "KW_Scan!.txt")LIST";

struct Expected {
    int depth;
    std::string text;
    ViewKind kind;
    std::string file;
};

std::vector<Expected> expectedNodes() {
    std::vector<Expected> out;
    std::istringstream in(kExpected);
    std::string line;
    const std::regex form(R"RE(^( *)- "(.*)" (?:(—)|([TCG]) "(.*)")$)RE");
    while (std::getline(in, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, form)) {
            ADD_FAILURE() << "unreadable line: " << line;
            continue;
        }
        ViewKind k = m[3].matched  ? ViewKind::Category
                     : m[4] == "T" ? ViewKind::Text
                     : m[4] == "C" ? ViewKind::Console
                                   : ViewKind::Table;
        out.push_back({static_cast<int>(m[1].length() / 2), m[2], k, m[5]});
    }
    return out;
}

TEST(ResultTreeTest, HoldsEveryTopicInOrderWithItsViewAndFile) {
    auto expected = expectedNodes();
    auto nodes = resultTree();
    ASSERT_EQ(expected.size(), 293u);
    ASSERT_EQ(nodes.size(), expected.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(nodes[i].depth, expected[i].depth) << i;
        EXPECT_EQ(nodes[i].text, expected[i].text) << i;
        EXPECT_EQ(nodes[i].kind, expected[i].kind) << i;
        EXPECT_EQ(nodes[i].file, expected[i].file) << i;
        if (i > 0) {
            EXPECT_LE(nodes[i].depth, nodes[i - 1].depth + 1);
        }
    }
    EXPECT_EQ(nodes[0].depth, 0);
}

TEST(ResultTreeTest, TextsThatDifferOnlyByABlankOrAScriptOpenDifferentThings) {
    ASSERT_NE(findAssociation("mHome.ini "), nullptr);
    ASSERT_NE(findAssociation("mHome.ini"), nullptr);
    EXPECT_EQ(findAssociation("mHome.ini ")->file, "(MIRTAL)mHome.ini");
    EXPECT_EQ(findAssociation("mHome.ini")->file, "(MIRTAL_Home)mHome.ini");
    // Cyrillic х (U+0445, bytes D1 85) in three group texts, Latin x in the fourth.
    EXPECT_NE(findAssociation("Данные МИРТАЛ-3D в реестре (\xD1\x85"
                              "86)"),
              nullptr);
    EXPECT_NE(findAssociation("Данные МИРТАЛ-3D в реестре (\xD1\x85"
                              "64)"),
              nullptr);
    EXPECT_NE(findAssociation("Данные СИ в реестре (\xD1\x85"
                              "86)"),
              nullptr);
    EXPECT_NE(findAssociation("Данные СИ в реестре (x64)"), nullptr);
    EXPECT_EQ(findAssociation("Данные СИ в реестре (\xD1\x85"
                              "64)"),
              nullptr);
    EXPECT_EQ(findAssociation("Данные МИРТАЛ-3D в реестре (x86)"), nullptr);
    int logs = 0;
    for (const ResultNode& n : resultTree())
        if (n.text == "Журналы") {
            ++logs;
            EXPECT_EQ(n.kind, ViewKind::Category);
        }
    EXPECT_EQ(logs, 2);
}

TEST(ResultTreeTest, ImageIndexesFollowTheKindsAndTheNodesWithIconsOfTheirOwn) {
    const std::pair<const char*, int> own[] = {{"Параметры программного обеспечения", 31},
                                               {"Мой компьютер / Приложения COM+", 58},
                                               {"Команды консоли - cmd", 94},
                                               {"Свойства принтеров", 105},
                                               {"ТЕССАРИН", 17},
                                               {"МОРВАНТАЙД", 96},
                                               {"МИРТАЛ-3D Home", 6},
                                               {"МИРТАЛ-3D MCAD/AEC", 6},
                                               {"ПЕЛТРАН Расцеховщик [Peltrand\\Wrokan]", 12},
                                               {"КВАДРИКС:MDM", 114},
                                               {"KW_Scan!", 101},
                                               {"(x64) Установленные программы", 99},
                                               {"Журналы установки КОМПЛЕКСа", 70},
                                               {"418F55FF-BD08-42FC-9ECB-D288B3FDF148", 95},
                                               {"Данные в реестре", 95},
                                               {"Журналы СИ", 74},
                                               {"TAVIR Shared", 2}};
    for (auto [text, image] : own) {
        ASSERT_NE(findAssociation(text), nullptr) << text;
        EXPECT_EQ(findAssociation(text)->image, image) << text;
    }
    EXPECT_EQ(findAssociation("Установленные программы")->image, 70);
    EXPECT_EQ(findAssociation("SQLcmd /L - список серверов")->image, 18);
    EXPECT_EQ(findAssociation("(x64) HKLM_ELEMLib")->image, 99);
    EXPECT_EQ(findAssociation("HKLM_ELEMLib")->image, 0);
}

bool contains(std::string_view hay, std::string_view needle) {
    return containsNoCaseUtf8(hay, needle);
}

int indexOf(const char* text) {
    return static_cast<int>(findAssociation(text) - resultTree().data());
}

TEST(ResultTreeTest, SearchContinuesForwardWithoutWrappingAndNeverFindsBlanks) {
    EXPECT_FALSE(findTreeNode("   ", -1, false, contains));
    EXPECT_FALSE(findTreeNode("", 5, true, contains));
    EXPECT_EQ(findTreeNode("ПАРАМЕТРЫ", -1, false, contains), 0);
    // A new search on a matching selected node keeps it; a continued one moves on.
    int first = indexOf("LogApp.log");
    EXPECT_EQ(findTreeNode(".log", first, false, contains), first);
    EXPECT_EQ(findTreeNode(".LOG", first, true, contains), indexOf("PeltrandAppServerMain.log"));
    // Past the last match there is no wrap-around to the top.
    EXPECT_FALSE(findTreeNode("Параметры", indexOf("События"), true, contains));
    EXPECT_FALSE(findTreeNode(".ini", indexOf("KW_scan.ini"), true, contains));
    EXPECT_EQ(findTreeNode("mHome.ini ", -1, false, contains), indexOf("mHome.ini "));
}

TEST(ResultTreeTest, ExportWritesOneLinePerNodeIndentedByTabs) {
    std::string text = treeExportText();
    EXPECT_EQ(text.rfind("Параметры программного обеспечения\r\n\tМой компьютер / Приложения COM+\r\n"
                         "\t\tTAVIR Applications\r\n",
                         0),
              0u);
    EXPECT_TRUE(text.ends_with("\tСобытия\r\n"));
    EXPECT_NE(text.find("\t\tmHome.ini \r\n"), std::string::npos);
    size_t lines = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
        ++lines;
    EXPECT_EQ(lines, 293u);
}

} // namespace
} // namespace kw

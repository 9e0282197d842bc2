// Resource and command identifiers of the main window.
#pragma once

#define IDI_APP 1

// commands
#define IDC_START 1001            // ToolButton35 "Пуск"
#define IDC_STOP 1002             // ToolButton36 "Стоп"
#define IDC_OPTIONS 1003          // ToolButton49 and menu "Параметры" (N63)
#define IDC_CLEAR 1004            // "Очистить результаты"
#define IDC_EVENTS 1005           // ToolButton52 "События показать/скрыть"
#define IDC_VARIANT_SETTINGS 1011 // N64
#define IDC_VARIANT_MAIN 1012     // N65
#define IDC_VARIANT_FULL 1013     // N66
#define IDC_SAVE_PACKAGE 1021     // N14 "Сохранить информацию..."
#define IDC_LOAD_COMPARE 1022 // N36 "Загрузить информацию для сравнения (2)"
#define IDC_EXIT 1023
#define IDC_LOAD_PACKAGE 1025 // "Загрузить информацию (1)" and its tool button "Загрузить информацию"
#define IDC_OPEN_FOLDER 1026   // "Открыть каталог с результатами" (tool button)
#define IDC_COMPARE_ALL 1027   // "Сравнить все разделы"
#define IDC_LIBRARY 1028       // "Библиотека пакетов..." of the menu "Пакеты"
#define IDC_LOAD_SETTINGS 1024 // "Загрузить настройки"
#define IDC_FAQ 1006           // ToolButton50 "FAQ - База знаний СТП ТАВИР"
#define IDC_SERVICEDESK 1007 // ToolButton51 "ServiceDESK - вопрос в СТП (Личный кабинет)"
#define IDC_HELP_FIRST 3000   // the help menu "Справка": one command per entry
#define IDC_HIDE_LOG 1031     // Button28 "Скрыть"
#define IDC_SHOW_LOG 1032     // Button29 "Показать лог"
#define IDC_SAVE_LOG 1033     // Button33 "Сохранить лог"
#define IDC_OPEN_RESULTS 1034 // CheckBox5 "Открыть каталог с результатами"

// controls
#define IDC_TOOLBAR 2001
#define IDC_PROGRESS_GROUP 2002
#define IDC_PROGRESS_BAR 2003
#define IDC_PERCENT 2004          // Label6
#define IDC_PROGRESS_CAPTION 2005 // Label16
#define IDC_EVENT_LOG 2006        // RichEdit1
#define IDC_CAPTURE 2007          // Memo3
#define IDC_TIMING 2008           // Memo6
#define IDC_RESULTS 2009          // results area
#define IDC_VIEW_CAPTION 2010     // StaticText2 "Информация"
#define IDC_STATUS 2011           // StatusBar2
#define IDC_SPLITTER 2012
#define IDC_TRANSPARENCY_GROUP 2013 // "Прозрачность", created hidden
#define IDC_TRANSPARENCY 2014       // TrackBar1

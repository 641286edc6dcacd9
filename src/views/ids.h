// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Fixed identifiers of windows, menus, menu items and controls. Events carry them and the
// dispatcher routes on them; widgets carry theirs as objectName (the decimal number).
namespace olv::id {

// Windows
constexpr int MainWindow = 2;
constexpr int ClientDialog = 63;
constexpr int ProjectDialog = 72;
constexpr int ObjectiveDialog = 79;
constexpr int TaskDialog = 85;
constexpr int AboutWindow = 92;
constexpr int PreferencesWindow = 95;
constexpr int InputBox = 99;

// Main window controls
constexpr int Banner = 1;
constexpr int NotesBox = 49;
constexpr int DetailList = 50;
constexpr int ItemTree = 60;
constexpr int SplitterVertical = 69;   // detail list above the notes box
constexpr int SplitterHorizontal = 70; // tree beside splitter 69
constexpr int ButtonNewItem = 52;
constexpr int ButtonDeleteItem = 53;
constexpr int ButtonStopTimers = 54;
constexpr int ButtonEditItem = 55;
constexpr int ButtonToDoList = 56;

// Menu bar
constexpr int MenuBar = 4;
constexpr int FileNew = 36;
constexpr int FileOpen = 37;
constexpr int FileOpenServer = 39; // "Open Server Database…"
constexpr int FileSave = 40;
constexpr int FileSaveAs = 41;
constexpr int FilePrint = 38;
constexpr int FilePreferences = 42;
constexpr int FileExit = 43;
constexpr int HelpUserGuide = 44;
constexpr int HelpUpdate = 45; // disabled
constexpr int HelpAbout = 46;

// Pop-up menus and their items
constexpr int MenuUser = 5;
constexpr int MenuClient = 9;
constexpr int MenuProject = 13;
constexpr int MenuObjective = 17;
constexpr int MenuTask = 24;
constexpr int MenuTimeEntry = 33;
constexpr int NewChild = 6; // "New Client", "New Project", "New Objective", "New Task"
constexpr int ClientEdit = 11;
constexpr int ClientDelete = 12;
constexpr int ProjectEdit = 15;
constexpr int ProjectDelete = 16;
constexpr int ObjectiveEdit = 19;
constexpr int ObjectiveDelete = 20;
constexpr int TaskStart = 27;
constexpr int TaskEdit = 28;
constexpr int TaskDelete = 29;
constexpr int TaskComplete = 30;
constexpr int TaskAccepted = 32;
constexpr int TimeEntryDelete = 34;

// Item dialogs
constexpr int ClientName = 64;
constexpr int ClientRate = 65;
constexpr int ClientOk = 66;
constexpr int ClientCancel = 67;
constexpr int ProjectTitle = 73;
constexpr int ProjectOk = 75;
constexpr int ProjectCancel = 76;
constexpr int ProjectRate = 77;
constexpr int ObjectiveTitle = 80;
constexpr int ObjectiveOk = 82;
constexpr int ObjectiveCancel = 83;
constexpr int TaskTitle = 86;
constexpr int TaskOk = 88;
constexpr int TaskCancel = 89;
constexpr int TaskCompleted = 25;
constexpr int TaskAcceptedBox = 26;

// Return and Escape in the item dialogs (menu events)
constexpr int ProjectReturn = 101;
constexpr int ObjectiveReturn = 102;
constexpr int TaskReturn = 103;
constexpr int ClientReturn = 104;
constexpr int ProjectEscape = 105;
constexpr int ObjectiveEscape = 106;
constexpr int TaskEscape = 107;
constexpr int ClientEscape = 108;

// About and Preferences
constexpr int AboutOk = 93;
constexpr int PreferencesOk = 96;
constexpr int PreferencesCancel = 97;
constexpr int PreferencesCurrency = 98;
constexpr int PreferencesDateFormat = 99;

// Reports menu and the Period Report window
constexpr int ReportsPeriodReport = 141;
constexpr int PeriodReportWindow = 140;
constexpr int PeriodChoiceBox = 142;
constexpr int PeriodFrom = 143;
constexpr int PeriodTo = 144;
constexpr int PeriodUnbilledOnly = 145;
constexpr int PeriodRows = 146;
constexpr int PeriodEntries = 147;
constexpr int PeriodPrint = 148;
constexpr int PeriodExportCsv = 149;
constexpr int PeriodMarkBilled = 150;
constexpr int PeriodUndoMark = 151;
constexpr int PeriodClose = 152;

// Time entries by hand: Add Time (task and time-entry pop-up menus, Ctrl+Shift+T) and Edit
// Entry (time-entry pop-up menu, Return and F2 in the list), and their two dialogs
constexpr int AddTime = 160;
constexpr int EditEntry = 161;
constexpr int AddTimeDialog = 162;
constexpr int EditEntryDialog = 163;
constexpr int EntryDate = 164;
constexpr int EntryDuration = 165;
constexpr int EntryStart = 166;
constexpr int EntryEnd = 167;
constexpr int EntryBilled = 168;
constexpr int EntryTask = 169;
constexpr int AddTimeOk = 170;
constexpr int AddTimeCancel = 171;
constexpr int EditEntryOk = 172;
constexpr int EditEntryCancel = 173;
constexpr int AddTimeReturn = 174;
constexpr int AddTimeEscape = 175;
constexpr int EditEntryReturn = 176;
constexpr int EditEntryEscape = 177;
constexpr int EntryBilledToggle = 178; // time-entry pop-up menu, Space in the list

// input_box prompt (window 99)
constexpr int InputField = 198;
constexpr int InputOk = 199;
constexpr int InputReturn = 10;
constexpr int InputEscape = 99;

} // namespace olv::id

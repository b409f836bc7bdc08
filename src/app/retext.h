#pragma once

#include <QString>

class QWidget;

namespace tesmira {

// Re-texting menus and windows from the current language file (app/language_pack.h).
//
// Widgets are found by integer properties:
// - every menu QAction that carries a command carries it as property "commandId"
//   (action->setProperty("commandId", 57601));
// - every control of a window carries its control id as property "controlId"
//   (button->setProperty("controlId", 1000)).
inline constexpr char kCommandIdProperty[] = "commandId";
inline constexpr char kControlIdProperty[] = "controlId";
// A widget that is a window of its own inside another (a pane in the main window)
// carries its dialog id as property "dialogId": re-texting the outer window leaves
// it and everything in it alone, so a pane is re-texted only under its own keys.
inline constexpr char kDialogIdProperty[] = "dialogId";

// Window properties that receive the film view's play and pause texts.
inline constexpr char kPlayTextProperty[] = "playText";
inline constexpr char kPauseTextProperty[] = "pauseText";
inline constexpr int kMaxPlayPauseTextLength = 249;  // UTF-16 code units

// The File menu's Exit item: command id, language key, and the text it keeps when
// the current language file lacks the key.
inline constexpr int kFileExitCommand = 57665;
inline constexpr char kFileExitKey[] = "IDS_MENU_FILE_EXIT";
inline constexpr char kFileExitText[] = "Exit";
// File > Open Folder, right after Open, likewise (UTF-8).
inline constexpr int kFileOpenFolderCommand = 57602;
inline constexpr char kFileOpenFolderKey[] = "IDS_MENU_FILE_OPEN_FOLDER";
inline constexpr char kFileOpenFolderText[] = "Open Folder\u2026";

// The File menu's Recent submenu (its entry carries the command id so that re-texting
// finds it; the films and folders in it are never re-texted: they are paths), and the two
// export items, likewise with the texts they keep when the language file lacks the key.
inline constexpr int kFileRecentCommand = 57603;
inline constexpr char kFileRecentKey[] = "IDS_MENU_FILE_RECENT";
inline constexpr char kFileRecentText[] = "Recent";
inline constexpr int kFileExportCommand = 57604;
inline constexpr char kFileExportKey[] = "IDS_MENU_FILE_EXPORT";
inline constexpr char kFileExportText[] = "Export Track\u2026";
inline constexpr int kFileExportAllCommand = 57605;
inline constexpr char kFileExportAllKey[] = "IDS_MENU_FILE_EXPORT_ALL";
inline constexpr char kFileExportAllText[] = "Export All Tracks\u2026";

// The View menu's Speed submenu (fourth, after Speed Unit): language key, and the text it
// keeps when the current language file lacks the key. Its items are numbers, never re-texted.
inline constexpr char kViewSpeedKey[] = "IDS_MENU_VIEW_SPEED";
inline constexpr char kViewSpeedText[] = "Speed";
// View > Whole trip, after the Speed submenu: command id, language key and kept text.
inline constexpr int kViewWholeTripCommand = 32810;
inline constexpr char kViewWholeTripKey[] = "IDS_MENU_VIEW_WHOLE_TRIP";
inline constexpr char kViewWholeTripText[] = "Whole trip";

// Sets every menu text from the language file (UiText: "Not found" when a key is
// missing, except for a map item with a kept text, app/map_providers.h, and the Exit,
// Open Folder, Recent, export and Whole trip items, which keep the texts above). `menuBar` is the
// QMenuBar (or any widget whose actions are the top-level menus): positions 0, 1, 2 are File, View,
// Help; the View menu's positions 0, 1, 2, 3 are the Language, Maps, Speed Unit and Speed submenus.
// The other items are found by their "commandId" anywhere below the menu bar.
void ReTextMenu(QWidget* menuBar);

struct PlayPauseTexts {
    QString playText;   // empty when the language file has none
    QString pauseText;  // empty when the language file has none
};

// Re-texts `window` as dialog `dialogId` (WindowText: a missing or empty text leaves
// the widget as it is):
// - title from "IDD<d>_title";
// - every descendant widget with a "controlId" c, in child order (depth first), except
//   those inside a descendant that carries a "dialogId":
//   a QAbstractButton gets "IDD<d>_<c>"; a QTreeView/QTableView gets header column i
//   from "IDD<d>_<c>_<i>" for each column of its header; a QLabel (as plain text), or a
//   widget whose class name ends in "Label" and that has a "text" property, gets
//   "IDD<d>_<c>".
// For the button with control id 1000, "IDD<d>_1000_0" and "IDD<d>_1000_1" are the
// play and pause texts: each non-empty one, cut to 249 code units, is set as property
// "playText"/"pauseText" on `window` (a Q_PROPERTY setter there is called; otherwise a
// dynamic property holds it) and returned.
PlayPauseTexts ReTextWindow(QWidget* window, int dialogId);

}  // namespace tesmira

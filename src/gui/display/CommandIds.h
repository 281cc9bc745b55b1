// Command ids of the main window's menus, toolbar and accelerators, and the table of their
// captions and prompts. Every QAction of the main frame carries its id as objectName.
#pragma once

namespace tavrel::qt {

enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_SAVE_PROCESSED = 32772,
    // Added command: the graphs as an image or PDF file, drawn like the printout.
    ID_FILE_EXPORT_IMAGE = 32790,
    // Added command: the results window (a table of measurements of every channel).
    ID_VIEW_MEASUREMENTS = 32791,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_MRU_FILE1 = 57616,  // up to four entries, 57616 .. 57619
    ID_APP_EXIT = 57665,
    ID_EDIT_UNDO = 57643,
    // Added command: takes back the last undone change of the set-up.
    ID_EDIT_REDO = 57644,
    ID_EDIT_CUT = 57635,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_DISPLAY_NORMAL = 32776,
    ID_DISPLAY_PROBE = 32777,
    ID_SCALE_RELATIVE = 32778,
    ID_SCALE_ABSOLUTE = 32779,
    ID_ZOOMX_1 = 32780,
    ID_ZOOMX_2 = 32781,
    ID_ZOOMX_4 = 32782,
    ID_ZOOMX_10 = 32785,
    ID_ZOOMX_20 = 32786,
    ID_ZOOMX_40 = 32787,
    ID_ZOOMX_100 = 32788,
    ID_ZOOMY_1 = 32783,
    ID_ZOOMY_2 = 32784,
    ID_PROC_SETTINGS = 32771,
    // Added command: the program's options (the data file's row limit).
    ID_TOOLS_OPTIONS = 32800,
    // Added view options: the graph area as wide as the window; bands without data left out.
    ID_VIEW_FIT_WIDTH = 32801,
    ID_VIEW_HIDE_EMPTY = 32802,
    // Added view option: the recording's events (annotations, markers) on the graphs.
    ID_VIEW_EVENTS = 32803,
    ID_APP_ABOUT = 57664,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
};

// Ids of the status bar's panes and texts.
enum StatusId : int {
    ID_IDLE_MESSAGE = 57345,  // "ﾚﾃﾞｨ"
    ID_INDICATOR_CAPS = 59137,
    ID_INDICATOR_NUM = 59138,
    ID_INDICATOR_SCRL = 59139,
    ID_INDICATOR_KANA = 59142,
};

// Caption (menu text, with the accelerator after a tab), status-bar prompt and tooltip of a
// command. Texts are UTF-8.
struct CommandText {
    int id;
    const char* caption;
    const char* prompt;
    const char* tooltip;
};

// All commands of the menus, in no particular order; nullptr when a command has no such text.
const CommandText* FindCommandText(int id);
const CommandText* CommandTexts(int* count);

}  // namespace tavrel::qt

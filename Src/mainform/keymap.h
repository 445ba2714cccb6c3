// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

class QKeyEvent;

// What a key does in the main window, as a plain function of the key, where
// the keyboard focus is and whether a search is running. MainForm carries
// the commands out.
namespace keymap {

enum class Place {
    TypeList,    // listWidget_type
    GroupStrip,  // listWidget_group
    Grid,        // the Item grid, or the results grid while searching
    SearchField, // lineEdit_search
    Window,      // anywhere else in the window
};

enum class Command {
    None,           // the widget's own handling
    TypeText,       // starts the search, or adds to it, with the key's text
    Paste,          // Ctrl+V, Shift+Insert: as TypeText, with pasteText() of the clipboard
    EraseSearch,    // Backspace on the results: takes the last character off
    MoveInResults,  // arrows in the search field move the selection in the results
    EndSearchFirst, // the Type or Group is about to change: the search ends, then the key goes on
    Launch,         // Enter: as a double-click
    OpenFolder,     // Ctrl+Enter: "打开文件位置"
    ContextMenu,    // Menu, Shift+F10: the selected entry's menu, at the entry
    Rename,         // F2
    Delete,         // Delete: asks first
    Escape,         // clears a search, otherwise hides the window
    FocusNext,      // Tab: Type list -> Group strip -> grid; while searching, field <-> results
    FocusPrevious,  // Shift+Tab
    NextGroup,      // Ctrl+Tab
    PreviousGroup,  // Ctrl+Shift+Tab
    Quit,           // Ctrl+Q, or the platform's own quit key: as "退出"
};

Command command(int key, Qt::KeyboardModifiers modifiers, const QString& text, Place place, bool searching);
Command command(const QKeyEvent& event, Place place, bool searching);

// What a paste types into the search: the first line of the clipboard's
// text, without the blanks around it; empty when there is nothing to find.
QString pasteText(const QString& clipboard);

} // namespace keymap

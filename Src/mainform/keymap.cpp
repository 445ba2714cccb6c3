// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/keymap.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QString>

namespace keymap {

namespace {

bool isArrowOrPage(int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// Text a user types into a search: printable, with no command modifier.
bool isTypedText(const QString& text, Qt::KeyboardModifiers modifiers) {
    if (text.isEmpty() || (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    for (const QChar c : text)
        if (!c.isPrint())
            return false;
    return true;
}

// Ctrl+Q on every platform, even where Qt knows no quit key (Windows); a
// desktop's own choice as well.
bool isQuit(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Q && modifiers == Qt::ControlModifier)
        return true;
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
           QKeySequence::keyBindings(QKeySequence::Quit).contains(QKeySequence(key | int(modifiers)));
}

} // namespace

Command command(int key, Qt::KeyboardModifiers modifiers, const QString& text, Place place, bool searching) {
    // The keypad's Enter is the same key as Return.
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    const bool lists = place == Place::TypeList || place == Place::GroupStrip;

    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        const bool back = key == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        if (mods & Qt::ControlModifier)
            return back ? Command::PreviousGroup : Command::NextGroup;
        if (mods & (Qt::AltModifier | Qt::MetaModifier))
            return Command::None;
        return back ? Command::FocusPrevious : Command::FocusNext;
    }
    // Anywhere: without a tray icon there is no other way out at hand.
    if (isQuit(key, mods))
        return Command::Quit;
    // In the search field too: its own paste would keep the line breaks.
    if ((key == Qt::Key_V && mods == Qt::ControlModifier) ||
        (key == Qt::Key_Insert && mods == Qt::ShiftModifier))
        return Command::Paste;
    if (key == Qt::Key_Escape && mods == Qt::NoModifier)
        return Command::Escape;
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && mods == Qt::ShiftModifier))
        return Command::ContextMenu;
    if (key == Qt::Key_F2 && mods == Qt::NoModifier)
        return Command::Rename;
    if (key == Qt::Key_Delete && mods == Qt::NoModifier)
        return Command::Delete;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !lists) {
        if (mods == Qt::NoModifier)
            return Command::Launch;
        if (mods == Qt::ControlModifier)
            return Command::OpenFolder;
        return Command::None;
    }

    switch (place) {
    case Place::SearchField:
        // The field is a filter: its own cursor keys are not needed, the
        // results' selection is.
        if (isArrowOrPage(key) && (mods == Qt::NoModifier || mods == Qt::ShiftModifier))
            return Command::MoveInResults;
        return Command::None;
    case Place::TypeList:
    case Place::GroupStrip:
        if (searching && (isArrowOrPage(key) || key == Qt::Key_Home || key == Qt::Key_End))
            return Command::EndSearchFirst;
        break;
    case Place::Grid:
        if (searching && key == Qt::Key_Backspace && mods == Qt::NoModifier)
            return Command::EraseSearch;
        break;
    case Place::Window:
        break;
    }
    // A search never starts with a blank.
    if (isTypedText(text, mods) && (searching || !text.trimmed().isEmpty()))
        return Command::TypeText;
    return Command::None;
}

Command command(const QKeyEvent& event, Place place, bool searching) {
    return command(event.key(), event.modifiers(), event.text(), place, searching);
}

QString pasteText(const QString& clipboard) {
    // Trimmed first, so that a copy that began at the end of a line still
    // gives the line that follows.
    const QString text = clipboard.trimmed();
    int end = 0;
    while (end < text.size() && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r') &&
           text.at(end) != QChar::LineSeparator && text.at(end) != QChar::ParagraphSeparator)
        ++end;
    return text.left(end).trimmed();
}

} // namespace keymap

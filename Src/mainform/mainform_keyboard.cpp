// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard: typing or pasting starts a search, arrows and Enter launch,
// the menu opens at the selected entry, Tab moves between the lists and
// Ctrl+Tab between Groups.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "mainform/keymap.h"
#include "mainform/searchpanel.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include <functional>

namespace {

// Hands the events of the objects it watches to one function first.
class EventHook : public QObject {
public:
    EventHook(QObject* parent, std::function<bool(QObject*, QEvent*)> handle)
        : QObject(parent), handler(std::move(handle)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return handler(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> handler;
};

} // namespace

void MainForm::setupKeyboard() {
    // Installed after the window's own filter, so it sees the lists' events
    // first and a key it takes never reaches the pointer-driven menus.
    keyFilter = new EventHook(
        this, [this](QObject* watched, QEvent* event) { return keyboardEvent(watched, event); });
    for (QListWidget* list :
         {ui->listWidget_type, ui->listWidget_group, ui->listWidget_item, ui->listWidget_result}) {
        list->installEventFilter(keyFilter);
        list->viewport()->installEventFilter(keyFilter);
    }
    ui->lineEdit_search->installEventFilter(keyFilter);
    installEventFilter(keyFilter);
}

bool MainForm::keyboardEvent(QObject* watched, QEvent* event) {
    QListWidget* const grid = ui->listWidget_item;
    QListWidget* const results = ui->listWidget_result;
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu: {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        // The menu key arrives as a menu request on the focused widget; in
        // the search field it is the selected result's menu.
        QListWidget* list = watched == ui->lineEdit_search ? results : qobject_cast<QListWidget*>(watched);
        if (!list)
            return false;
        if (menuEvent->reason() == QContextMenuEvent::Keyboard) {
            showContextMenuAtCurrent(list);
            return true;
        }
        if (list != results || watched != results)
            return false;
        // The pointer's menu on a result: the result under it becomes current.
        QListWidgetItem* entry = results->itemAt(results->viewport()->mapFromGlobal(menuEvent->globalPos()));
        if (entry)
            results->setCurrentItem(entry);
        execListMenu(results, entry, menuEvent->globalPos());
        return true;
    }
    case QEvent::MouseButtonPress:
        // Choosing a Type or Group by hand ends the search, so the grid shows
        // what was chosen.
        if (searching() &&
            (watched == ui->listWidget_type->viewport() || watched == ui->listWidget_group->viewport()))
            searchPanel->end();
        return false;
    case QEvent::FocusIn:
        // Qt makes the first entry current, unselected, when focus comes to a
        // list with none; Enter would then launch an Item nobody sees chosen.
        if (watched == grid && !grid->currentIndex().isValid())
            grid->setCurrentIndex(QModelIndex());
        return false;
    case QEvent::Paint:
    case QEvent::ToolTip:
        return watched == grid->viewport() && gridEvent(event);
    case QEvent::Show:
        if (watched == this)
            windowShown();
        return false;
    default:
        return false;
    }
}

bool MainForm::handleKey(QWidget* where, QKeyEvent* event) {
    using keymap::Command;
    using keymap::Place;
    QLineEdit* const field = ui->lineEdit_search;
    QListWidget* const results = ui->listWidget_result;
    Place place = Place::Window;
    if (where == ui->listWidget_type)
        place = Place::TypeList;
    else if (where == ui->listWidget_group)
        place = Place::GroupStrip;
    else if (where == ui->listWidget_item || where == results)
        place = Place::Grid;
    else if (where == field)
        place = Place::SearchField;
    else if (where != this)
        return false;
    // A key the focused list let through reaches the window too; it was
    // judged there already.
    if (place == Place::Window) {
        const QWidget* focus = focusWidget();
        if (focus == ui->listWidget_type || focus == ui->listWidget_group || focus == ui->listWidget_item ||
            focus == results || focus == field)
            return false;
    }

    const Command command = keymap::command(*event, place, searching());
    switch (command) {
    case Command::None:
        return false;
    case Command::TypeText:
        searchPanel->start(event->text());
        return true;
    case Command::Paste:
        // Into the field at its cursor, over its selection, as typing goes.
        if (const QString text = keymap::pasteText(QGuiApplication::clipboard()->text()); !text.isEmpty())
            searchPanel->start(text);
        return true;
    case Command::EraseSearch:
        field->setFocus(Qt::OtherFocusReason);
        field->backspace();
        return true;
    case Command::MoveInResults:
        QCoreApplication::sendEvent(results, event);
        return true;
    case Command::EndSearchFirst:
        searchPanel->end();
        return false;
    case Command::Launch:
        openThis();
        return true;
    case Command::OpenFolder:
        openThisDir();
        return true;
    case Command::ContextMenu:
        showContextMenuAtCurrent(place == Place::TypeList     ? ui->listWidget_type
                                 : place == Place::GroupStrip ? ui->listWidget_group
                                 : searching()                ? results
                                                              : ui->listWidget_item);
        return true;
    case Command::Rename:
        if (place == Place::TypeList)
            renameType(ui->listWidget_type->currentRow());
        else if (place == Place::GroupStrip)
            renameGroup(ui->listWidget_group->currentRow());
        else
            jsonItmeRename();
        return true;
    case Command::Delete:
        // In the field, Delete edits text until the cursor reaches the end.
        if (place == Place::SearchField &&
            (field->hasSelectedText() || field->cursorPosition() < field->text().size()))
            return false;
        if (place == Place::TypeList)
            deleteType(ui->listWidget_type->currentRow());
        else if (place == Place::GroupStrip)
            jsonGroupItmeDelete();
        else
            jsonItmeDelete();
        return true;
    case Command::Escape:
        if (searching())
            searchPanel->end();
        else
            leaveWindow();
        return true;
    case Command::FocusNext:
    case Command::FocusPrevious:
        cycleFocus(command == Command::FocusNext);
        return true;
    case Command::NextGroup:
        switchGroup(1);
        return true;
    case Command::PreviousGroup:
        switchGroup(-1);
        return true;
    case Command::Quit:
        quitTarn();
        return true;
    }
    return false;
}

void MainForm::cycleFocus(bool forward) {
    const QWidget* focus = focusWidget();
    if (searching()) {
        // A search keeps the focus between its field and its results: the
        // lists would end it at the first arrow. Esc is the way out.
        QLineEdit* const field = ui->lineEdit_search;
        if (focus == field || (focus != ui->listWidget_result && !forward)) {
            ui->listWidget_result->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        } else {
            // Not all selected, as a field tabbed into is: the next key goes
            // on with the query rather than replacing it.
            field->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    QWidget* const chain[] = {ui->listWidget_type, ui->listWidget_group, ui->listWidget_item};
    int at = -1;
    for (int i = 0; i < 3; ++i)
        if (chain[i] == focus)
            at = i;
    const int next = at < 0 ? (forward ? 0 : 2) : (at + (forward ? 1 : 2)) % 3;
    chain[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void MainForm::switchGroup(int step) {
    QListWidget* const groups = ui->listWidget_group;
    const int count = groups->count();
    if (count == 0)
        return;
    searchPanel->end();
    const int current = groups->currentRow();
    groups->setCurrentRow(current < 0 ? 0 : (current + step + count) % count);
}

void MainForm::showContextMenuAtCurrent(QListWidget* list) {
    QListWidgetItem* entry = list->currentItem();
    QPoint at = list->viewport()->mapToGlobal(QPoint(8, 8));
    if (entry) {
        list->scrollToItem(entry);
        at = list->viewport()->mapToGlobal(list->visualItemRect(entry).center());
    }
    execListMenu(list, entry, at);
}

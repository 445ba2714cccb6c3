// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/commandline.h"
#include "catalog/catalogdocument.h"
#include "catalog/catalogjson.h"
#include "launch/launchplan.h"
#include "mainform/itemcells.h"
#include "mainform/searchpanel.h"
#include "mainform/writereporter.h"
#include "search/itemindex.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ApplicationImport;
class Presence;
class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class FormMove;
class FormSettings;
class FormAttribute;

namespace Ui {
class MainForm;
}

// The one main window: the three lists, the context menus and their actions,
// the keys, drag and drop, launching, showing and hiding, and the wiring of
// what it holds: the catalog document (the Catalog, its file, its writes),
// the search panel (type to find) and the presence (hotkey and tray). The
// slots ask, edit the document, then rebuild the lists they touched. They
// are spread over files by concern: mainform_lists.cpp,
// mainform_editing.cpp, mainform_launch.cpp, mainform_presence.cpp,
// mainform_dragdrop.cpp, mainform_catalog.cpp and mainform_keyboard.cpp.
class MainForm : public QWidget {
    Q_OBJECT

public:
    // What start-up read of the catalog file ahead of the window, if anything.
    using CatalogSource = std::function<std::optional<CatalogDocument::Loaded>(const QString& path)>;
    explicit MainForm(QWidget* parent = nullptr, const CatalogSource& preloaded = {});
    ~MainForm() override;

    // Writes the Catalog to the catalog file; false when it could not, or
    // must not because the file is kept as it was found.
    bool saveCatalog(QString* error = nullptr);
    // Writes the window size and the Catalog, as a close request does; used
    // on the way out (quit, end of the desktop session). False when edits
    // could not be written: a failed write, or a catalog file that could not
    // be opened at start while there are edits.
    bool saveState(QString* error = nullptr);

    // A command handed over by another start of Tarn (Tarn --show, ...).
    void runCommand(InstanceCommand command);

signals:
    // What start-up leaves until after the first frame (or, with no window
    // shown, the first turn of the event loop) is done.
    void startUpFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private slots:
    void typeCurrentRowChanged(int index);
    void groupCurrentRowChanged(int index);
    void jsonTypeItmeAdd();
    void jsonTypeItmeRename();
    void jsonTypeItmeDelete();
    void jsonGroupItmeAdd();
    void jsonGroupItmeMove();
    void jsonGroupItmeDelete();
    void jsonGroupItmeDeleteAll();
    void jsonGroupItmeRename();
    void jsonItmeAdd();
    void jsonItmeDelete();
    void jsonItmeRename();
    void jsonItmeMove();
    void jsonItmeClear();
    void showAndHide();
    void trayAction(QSystemTrayIcon::ActivationReason action);
    void openThis();
    void openThisDir();
    void copyThisDir();
    void openFormSettings();
    void openFormAttribute();
    void hotKeyReset();
    // "导入应用程序…": the installed applications into the catalog.
    void importApplications();

private:
    void setupLists(QListWidget* list);
    // What the first frame does not need: the tray icon, the Items' icons,
    // the search field's clear button, the file watch, the search index.
    // Runs once, right after the first frame is painted.
    void finishStartUp();
    void setSettingsIcon();
    void fillDeferredIcons();
    void createMenus();
    void connectSignals();

    void loadCatalog(const CatalogSource& preloaded);
    // Where the settings or the launch counts were copied because they
    // could not be read whole.
    void tellSideFilesKept();
    // The catalog file was changed by someone else and read again.
    void catalogReloaded();
    void fillTypeList();
    // The import added or removed Items: the lists follow, showing the Type
    // at `typeRow` (-1: the one shown before).
    void applicationsImported(int importedRow);
    // Under the empty Group's hint, while the catalog is as a new Tarn
    // starts it: a link to the import.
    void updateImportLink();
    ApplicationImport& importer();

    // One edit of the Catalog: `apply` to what `find` finds in it now. False,
    // with nothing changed, where it finds nothing (a question kept the event
    // loop running, and the place is gone).
    using Find = std::function<catalog::Value*(catalog::Document&)>;
    using Apply = std::function<void(catalog::Value&, catalog::Allocator&)>;
    bool change(const Find& find, const Apply& apply);
    // The Type and Group commands on a row given, not the one a menu opened on.
    void renameType(int row);
    void deleteType(int row);
    void renameGroup(int row);
    // Runs the move dialog; false when it was cancelled.
    bool askDestination(bool typeOnly, int* typeDestination, int* groupDestination);
    // Runs the Item dialog on `item`, which `edit` holds; true when the
    // user confirmed.
    bool editItem(catalog::Value* item, CatalogDocument::Edit& edit);
    void showContextMenu(QListWidget* list);
    // The entry's menu, or the list's blank-space menu, at `at`; the Type or
    // Group row it acts on is the entry's.
    void execListMenu(QListWidget* list, const QListWidgetItem* entry, const QPoint& at);
    // The entry under the pointer, none when the pointer is outside the
    // list's viewport.
    static QListWidgetItem* entryUnderPointer(QListWidget* list);
    // Applies an internal drag that began at row `from` to the Catalog.
    void finishReorder(QListWidget* list, int from);
    // An internal drag is under way in one of the lists.
    bool dragging() const { return drag.object != nullptr; }

    // The usable area of the screen under `point` (the primary screen when
    // none is), empty without screens.
    static QRect screenAreaAt(QPoint point);
    // What a close request or Esc does: hide the window, or, where neither
    // the hotkey nor a tray icon could bring it back, whatever the user
    // answers when asked.
    enum class Leaving { Hide, Quit, Stay };
    Leaving askHowToLeave();
    void leaveWindow();
    void quitTarn();
    // Writes the window size and the Catalog.
    CatalogDocument::Outcome writeState(QString* error);
    void launch(const launch::Plan& plan, const search::ItemRef& ref);
    void askRemoveInvalidItem(const search::ItemRef& ref);
    // Removes the Item at `ref` if it is still `asked`, the one the user was
    // asked about.
    void eraseItem(const search::ItemRef& ref, const catalog::Value* asked);
    // Rebuilds the grid of the current Group after an Item command.
    void refreshItemGrid();

    bool searching() const { return searchPanel->isActive(); }
    void windowShown();
    // The Item the Item commands act on: the selected search result, or the
    // current Item of the current Group. Rows of -1 where there is none.
    search::ItemRef currentItemRef();

    // The keyboard: one filter on the lists, the search field and the window.
    void setupKeyboard();
    bool keyboardEvent(QObject* watched, QEvent* event);
    bool handleKey(QWidget* where, QKeyEvent* event);
    void cycleFocus(bool forward);
    void switchGroup(int step);
    void showContextMenuAtCurrent(QListWidget* list);
    // The Item grid's own events: the tooltip of the Item under the
    // pointer, the hint painted in an empty Group.
    bool gridEvent(QEvent* event);

    void updateCurrentRows();
    // Each refreshes the current rows first; nullptr where a row is -1 or
    // past the end, so callers test before they touch anything.
    const catalog::Value* jsonTypes();
    const catalog::Value* jsonGroups();
    const catalog::Value* jsonItems();
    const catalog::Value* jsonItem();

    std::unique_ptr<Ui::MainForm> ui;
    CatalogDocument document;
    WriteReporter writeReporter{this};
    ItemCells cells;
    // Made with the widgets it drives; goes before them.
    std::unique_ptr<SearchPanel> searchPanel;
    // The hotkey and the tray icon; a child of the window.
    Presence* presence = nullptr;
    // A child of the window, made when first asked for.
    ApplicationImport* applicationImport = nullptr;
    // Made only for a catalog that can show it.
    QLabel* importLink = nullptr;
    FormMove* formMove = nullptr;
    // The settings window deletes itself when closed.
    QPointer<FormSettings> formSettings;
    // The Item dialog deletes itself when closed.
    QPointer<FormAttribute> formAttribute;
    int typeRow = 0;
    int groupRow = 0;
    int itemRow = 0;
    // The internal drag under way in one of the lists, if any.
    struct {
        QObject* object = nullptr;
        QListWidget* list = nullptr;
        int startRow = -1;
    } drag;
    // The Group whose Items the grid shows, to keep the scroll position when
    // the same Group is rebuilt.
    int gridType = -1;
    int gridGroup = -1;
    QObject* keyFilter = nullptr;
    bool startUpQueued = false;
    bool startedUp = false;
    // Until start-up is finished, the grid's cells hold blanks, not their
    // icons.
    bool iconsDeferred = false;

    // Made by createMenus().
    QAction* actTypeAdd = nullptr;
    QAction* actTypeRename = nullptr;
    QAction* actTypeDelete = nullptr;
    QAction* actGroupAdd = nullptr;
    QAction* actGroupDelete = nullptr;
    QAction* actGroupRename = nullptr;
    QAction* actGroupMove = nullptr;
    QAction* actGroupDeleteAll = nullptr;
    QAction* actItemClear = nullptr;
    QAction* actOpen = nullptr;
    QAction* actOpenDir = nullptr;
    QAction* actCopyPath = nullptr;
    QAction* actItemAdd = nullptr;
    QAction* actItemRename = nullptr;
    QAction* actItemDelete = nullptr;
    QAction* actItemMove = nullptr;
    QAction* actAttribute = nullptr;
    QAction* actQuit = nullptr;
    QAction* actImportApps = nullptr;

    QMenu* menuTypeBlank = nullptr;
    QMenu* menuTypeEntry = nullptr;
    QMenu* menuGroupBlank = nullptr;
    QMenu* menuGroupEntry = nullptr;
    QMenu* menuItemBlank = nullptr;
    QMenu* menuItemEntry = nullptr;
    QMenu* trayMenu = nullptr;
};

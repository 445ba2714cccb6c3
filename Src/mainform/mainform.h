// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/commandline.h"
#include "catalog/catalogjson.h"
#include "catalog/catalogsync.h"
#include "icons/itemicon.h"
#include "launch/launchplan.h"
#include "search/itemindex.h"
#include "search/usagestore.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <future>
#include <memory>
#include <vector>

class GlobalHotkey;
class QAction;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMessageBox;
class FormMove;
class FormSettings;
class FormAttribute;

namespace Ui {
class MainForm;
}

// The one main window: owner of the Catalog, the three lists, the context
// menus, the hotkey and the tray icon. The slots are spread over files by
// concern: mainform_lists.cpp, mainform_editing.cpp, mainform_launch.cpp,
// mainform_presence.cpp, mainform_dragdrop.cpp, mainform_catalog.cpp,
// mainform_search.cpp (type to find) and mainform_keyboard.cpp (the keys).
class MainForm : public QWidget {
    Q_OBJECT

public:
    explicit MainForm(QWidget* parent = nullptr);
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
    // Releases the hotkey's grab while the settings window records a new
    // one, and takes it again afterwards.
    void pauseHotKey(bool pause);
    // The desktop answered a registration it was asked for (Wayland).
    void hotKeyAnswered(bool registered);

private:
    void setupLists(QListWidget* list);
    // What the first frame does not need: the tray icon, the Items' icons,
    // the search field's clear button, the file watch, the search index.
    // Runs once, right after the first frame is painted.
    void finishStartUp();
    void setSettingsIcon();
    void fillDeferredIcons();
    // How many cells of the grid fit the window.
    int firstScreenful() const;
    void createMenus();
    void connectSignals();

    void loadCatalog();
    // Called after every change to the Catalog, before the list rebuild:
    // everything that follows the Catalog (writing it, the search index)
    // hangs off this one place.
    void catalogEdited();
    enum class WriteOutcome { Written, NotNeeded, Failed, CannotOpen };
    // Writes the Catalog and says whether edits were lost.
    WriteOutcome writeCatalog(QString* error);
    // Tells the user what a write left them to know: a failure (once until a
    // write succeeds again), edits that cannot be written at all (once per
    // run), a version from elsewhere kept aside (once per copy).
    void reportWrite(WriteOutcome outcome, const QString& error);
    void tellKeptCopy();
    // Maps whether the write succeeded to its outcome.
    WriteOutcome outcomeOf(bool written, QString* error) const;
    // Records a finished write of the Catalog as it was after `editsWritten` edits.
    bool takeWritten(const CatalogSync::Write& result, quint64 editsWritten, QString* error);
    // Waits for the background write, if one is under way, and records it.
    bool takeBackgroundWrite(QString* error);
    void backgroundWriteDone();
    void autosave();
    // The catalog file was changed by someone else.
    void followOutsideChange();
    void initTypeList();
    void fillTypeList();

    // Runs the move dialog; false when it was cancelled.
    bool askDestination(bool typeOnly, int* typeDestination, int* groupDestination);
    // Runs the Item dialog on `item`; true when the user confirmed.
    bool editItem(catalog::Value* item);
    void showContextMenu(QListWidget* list);
    // The entry's menu, or the list's blank-space menu, at `at`; the Type or
    // Group row it acts on is the entry's.
    void execListMenu(QListWidget* list, const QListWidgetItem* entry, const QPoint& at);
    // The entry under the pointer, none when the pointer is outside the
    // list's viewport.
    static QListWidgetItem* entryUnderPointer(QListWidget* list);
    // Applies an internal drag that began at row `from` to the Catalog.
    void finishReorder(QListWidget* list, int from);

    // The usable area of the screen under `point` (the primary screen when
    // none is), empty without screens.
    static QRect screenAreaAt(QPoint point);
    bool setupHotKey();
    // Tells why the hotkey did not register: a conflict, or a desktop that
    // must bind the key itself.
    void reportHotKeyFailure();
    void tellDesktopBinding(bool always);
    static QString desktopToggleCommand();
    void showDesktopBindingInSettings();
    void setupTray();
    void quitTarn();
    // Writes the window size and the Catalog.
    WriteOutcome writeState(QString* error);
    void launch(const launch::Plan& plan, const search::ItemRef& ref);
    void askRemoveInvalidItem(const search::ItemRef& ref);
    // Rebuilds the grid of the current Group after an Item command.
    void refreshItemGrid();

    // Type to find. While a search runs, its results fill a grid of their
    // own (listWidget_result) in place of the Item grid, which keeps the
    // current Group as it was underneath; each result row keeps the real
    // place of its Item.
    void setupSearch();
    bool searching() const;
    void startSearch(const QString& text);
    void searchTextChanged(const QString& text);
    void endSearch();
    void runSearch();
    void fillResults(int count);
    void searchCatalogEdited();
    void startIndexBuild();
    void indexBuildDone();
    // Waits for the build in flight, if any, and makes the index current.
    search::ItemIndex& currentIndex();
    void releaseStartUpMemory();
    void windowShown();
    // The Item the Item commands act on: the selected search result, or the
    // current Item of the current Group. Rows of -1 where there is none.
    search::ItemRef currentItemRef();
    void recordLaunch(const catalog::Value& item);
    void saveUsage();

    // The keyboard: one filter on the lists, the search field and the window.
    void setupKeyboard();
    bool keyboardEvent(QObject* watched, QEvent* event);
    bool handleKey(QWidget* where, QKeyEvent* event);
    void cycleFocus(bool forward);
    void switchGroup(int step);
    void showContextMenuAtCurrent(QListWidget* list);
    // A Group's Items: tooltips, the scroll position kept across a rebuild of
    // the same Group, and the hint painted in an empty Group.
    QListWidgetItem* itemEntry(const catalog::Value& item, bool withIcon = true);
    bool showItemToolTip(QListWidget* list, const QPoint& at, const QPoint& globalAt);
    void paintEmptyHint(QListWidget* list);

    void updateCurrentRows();
    // Each refreshes the current rows first; nullptr where a row is -1 or
    // past the end, so callers test before they touch anything.
    catalog::Value* jsonTypes();
    catalog::Value* jsonGroups();
    catalog::Value* jsonItems();
    catalog::Value* jsonItem();

    std::unique_ptr<Ui::MainForm> ui;
    QFileIconProvider iconProvider;
    ItemIconCache itemIcons;
    QFile catalogFile;
    catalog::Document catalog;
    QFileInfo pathInfo;
    // Parentless: released at once when replaced, not at a later turn.
    std::unique_ptr<GlobalHotkey> hotKey;
    QSystemTrayIcon* trayIcon = nullptr;
    FormMove* formMove = nullptr;
    // The settings window deletes itself when closed.
    QPointer<FormSettings> formSettings;
    // The Item dialog deletes itself when closed.
    QPointer<FormAttribute> formAttribute;
    int typeRow = 0;
    int groupRow = 0;
    int itemRow = 0;
    // Set when the catalog file was found read-only, unreadable, or holding
    // text that could not be copied aside: it is then never written.
    bool catalogFileKept = false;
    // The internal drag under way in one of the lists, if any.
    struct {
        QObject* object = nullptr;
        QListWidget* list = nullptr;
        int startRow = -1;
    } drag;
    // The settings window's key editor has the focus; the grab was released
    // for it (paused) when it was registered.
    bool hotKeyRecording = false;
    bool hotKeyPaused = false;
    // A new hotkey was applied: its answer, when it comes later, is told.
    bool announceHotKey = false;
    QPointer<QMessageBox> desktopBindingNotice;
    // The catalog file could not be opened at start; the user was warned then.
    bool catalogOpenFailed = false;

    // The catalog file as last read or written, and its watch.
    CatalogSync catalogSync;
    // Writes the Catalog a moment after the last edit.
    QTimer autosaveTimer;
    // Edits not yet written. Set only by edits after construction.
    bool catalogDirty = false;
    // Edits so far, and how many the background write's copy holds.
    quint64 edits = 0;
    quint64 editsInWrite = 0;
    // The autosave's write, run on another thread from a copy of the
    // Catalog so that input is not held up by the disk; the ways out write
    // synchronously after it.
    std::future<CatalogSync::Write> backgroundWrite;
    bool tracksEdits = false;
    bool saveFailureShown = false;
    bool cannotOpenShown = false;
    // The version from elsewhere the last write kept aside, and the last one
    // the user was told about.
    QString keptCopy;
    QString toldCopy;
    // Built on another thread from a copy of the Catalog, so that neither
    // the first build after start nor the one after an edit holds up input;
    // a search started meanwhile waits for it. Null while that thread has it.
    std::unique_ptr<search::ItemIndex> searchIndex;
    std::future<std::unique_ptr<search::ItemIndex>> indexBuild;
    bool searchIndexStale = true;
    QTimer searchIndexTimer;
    search::UsageStore usage;
    QTimer usageSaveTimer;
    // The place of the Item in each row of listWidget_result, and how many
    // rows are filled so far (the rest follow in turns of the event loop).
    std::vector<search::ItemRef> resultRefs;
    int resultsFilled = 0;
    QTimer resultFillTimer;
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
    QIcon blankIcon;
    bool startUpMemoryReleased = false;

    QAction* actTypeAdd;
    QAction* actTypeRename;
    QAction* actTypeDelete;
    QAction* actGroupAdd;
    QAction* actGroupDelete;
    QAction* actGroupRename;
    QAction* actGroupMove;
    QAction* actGroupDeleteAll;
    QAction* actItemClear;
    QAction* actOpen;
    QAction* actOpenDir;
    QAction* actCopyPath;
    QAction* actItemAdd;
    QAction* actItemRename;
    QAction* actItemDelete;
    QAction* actItemMove;
    QAction* actAttribute;
    QAction* actQuit;

    QMenu* menuTypeBlank;
    QMenu* menuTypeEntry;
    QMenu* menuGroupBlank;
    QMenu* menuGroupEntry;
    QMenu* menuItemBlank;
    QMenu* menuItemEntry;
    QMenu* trayMenu;
};

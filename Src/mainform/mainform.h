#pragma once

#include "catalog/catalogjson.h"
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

#include <vector>

class GlobalHotkey;
class QAction;
class QListWidget;
class QListWidgetItem;
class QMenu;
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
    // on the way out (quit, end of the desktop session). False when the
    // Catalog could not be written although it should have been.
    bool saveState(QString* error = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

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

private:
    void setupLists(QListWidget* list);
    void createMenus();
    void connectSignals();

    void loadCatalog();
    // Called after every change to the Catalog, before the list rebuild:
    // everything that follows the Catalog (writing it, the search index)
    // hangs off this one place.
    void catalogEdited();
    void initTypeList();
    void fillTypeList();

    // Runs the move dialog; false when it was cancelled.
    bool askDestination(bool typeOnly, int* typeDestination, int* groupDestination);
    // Runs the Item dialog on `item`; true when the user confirmed.
    bool editItem(catalog::Value* item);
    void showContextMenu(QListWidget* list);
    // The entry under the pointer, none when the pointer is outside the
    // list's viewport.
    static QListWidgetItem* entryUnderPointer(QListWidget* list);
    // Applies an internal drag that began at row `from` to the Catalog.
    void finishReorder(QListWidget* list, int from);

    // The usable area of the screen under `point` (the primary screen when
    // none is), empty without screens.
    static QRect screenAreaAt(QPoint point);
    bool setupHotKey();
    void setupTray();
    void quitTarn();
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
    QListWidgetItem* itemEntry(const catalog::Value& item);
    bool showItemToolTip(QListWidget* list, const QPoint& at, const QPoint& globalAt);
    void paintEmptyHint(QListWidget* list);

    void updateCurrentRows();
    // Each refreshes the current rows first; nullptr where a row is -1 or
    // past the end, so callers test before they touch anything.
    catalog::Value* jsonTypes();
    catalog::Value* jsonGroups();
    catalog::Value* jsonItems();
    catalog::Value* jsonItem();

    Ui::MainForm* ui;
    QFileIconProvider iconProvider;
    ItemIconCache itemIcons;
    QFile catalogFile;
    catalog::Document catalog;
    catalog::Allocator& catalogAllocator;
    QFileInfo pathInfo;
    GlobalHotkey* hotKey = nullptr;
    QSystemTrayIcon* trayIcon = nullptr;
    FormMove* formMove = nullptr;
    // The settings window deletes itself when closed.
    QPointer<FormSettings> formSettings;
    FormAttribute* formAttribute = nullptr;
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
    // The catalog file could not be opened at start; the user was warned then.
    bool catalogOpenFailed = false;

    search::ItemIndex searchIndex;
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "app/stylesheet.h"
#include "icons/rawpicture.h"
#include "mainform/presence.h"
#include "mainform/searchpanel.h"
#include "mainform/windowplacement.h"
#include "platform/datapaths.h"
#include "settings/appsettings.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QTimer>

MainForm::MainForm(QWidget* parent, const CatalogSource& preloaded) : QWidget(parent), ui(new Ui::MainForm) {
    // Installed before the widgets exist, so that none of them is polished
    // twice.
    loadStyleSheet();
    // Set while the window has no children: changing the flags re-polishes
    // the whole tree under the style sheet.
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    ui->setupUi(this);
    setupLists(ui->listWidget_type);
    setupLists(ui->listWidget_group);
    ui->listWidget_item->installEventFilter(this);
    ui->listWidget_item->setDragEnabled(true);
    ui->listWidget_item->clear();

    connectSignals();
    searchPanel = std::make_unique<SearchPanel>(document, cells, ui->lineEdit_search, ui->listWidget_result,
                                                ui->listWidget_item);
    setupKeyboard();
    loadCatalog(preloaded);
    fillTypeList();
    setAcceptDrops(true);

    loadSettings(datapaths::configFile());
    tellSideFilesKept();
    // A stored size no screen can show (a hand-edited or foreign file) is cut
    // to the screen the user is working on.
    const QSize stored = storedWindowSize();
    resize(placement::fitted(stored.isValid() ? stored : size(), screenAreaAt(QCursor::pos())));
    // Live before the window maps; the grab costs one round trip.
    presence = new Presence(this);
    connect(presence, &Presence::toggleRequested, this, &MainForm::showAndHide);
    presence->setupHotKey();

    // Closing the settings window while this one is hidden must not end
    // Tarn; only "退出" does.
    QApplication::setQuitOnLastWindowClosed(false);
    if (const catalog::Value* types = jsonTypes(); types && !types->Empty())
        ui->listWidget_type->setCurrentRow(0);
    document.trackEdits();
    setSettingsIcon();
    // A window that is not shown by the first turn of the event loop has no
    // first frame to wait for.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            finishStartUp();
    });
}

void MainForm::setSettingsIcon() {
    // The button is 24 pixels: its own small picture serves it up to a scale
    // of 4. It is the window's one picture before its first frame and comes
    // as bare pixels, which need no decoding. QIcon decodes a file as it is
    // added, and the large picture would cost more than the rest of the
    // window; it is added only for a screen that needs it.
    QIcon icon(QPixmap::fromImage(rawPicture(QStringLiteral(":/img/Settings-96.rgba"), 96)));
    if (icon.isNull() || qApp->devicePixelRatio() > 4)
        icon.addFile(QStringLiteral(":/img/Settings.png"));
    ui->toolButton_settings->setIcon(icon);
}

void MainForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!startUpQueued) {
        startUpQueued = true;
        // Runs once this frame is on the screen.
        QMetaObject::invokeMethod(this, &MainForm::finishStartUp, Qt::QueuedConnection);
    }
}

void MainForm::finishStartUp() {
    if (startedUp)
        return;
    startedUp = true;
    startUpQueued = true;
    connect(presence->setupTray(), &QSystemTrayIcon::activated, this, &MainForm::trayAction);
    // The rest in a turn of its own, so a key pressed meanwhile waits less.
    QTimer::singleShot(0, this, [this] {
        fillDeferredIcons();
        createMenus();
        ui->lineEdit_search->setClearButtonEnabled(true);
        document.watch();
        searchPanel->startIndexing();
        emit startUpFinished();
    });
}

MainForm::~MainForm() {
    // The key filter calls into MainForm: it must not outlive it, and the
    // widgets' own destruction still sends events.
    delete keyFilter;
    keyFilter = nullptr;
}

void MainForm::setupLists(QListWidget* list) {
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setDragEnabled(true);
    list->viewport()->setAcceptDrops(true);
    list->setDragDropMode(QAbstractItemView::InternalMove);
    list->setDropIndicatorShown(true);
    list->installEventFilter(this);
    list->clear();
}

void MainForm::createMenus() {
    // Made after the first frame, which shows no menu, or at the first one
    // asked for before then.
    if (trayMenu)
        return;
    // Parented to the window so they are released with it; a QMenu is a
    // popup whatever its parent. Each action's object name is its member's
    // name, so it can be found by that name.
    auto action = [this](const char* name, const QString& text, void (MainForm::*slot)()) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto menu = [this](std::initializer_list<QAction*> entries) {
        auto* m = new QMenu(this);
        for (QAction* entry : entries) {
            if (entry)
                m->addAction(entry);
            else
                m->addSeparator();
        }
        return m;
    };

    actTypeAdd = action("actTypeAdd", tr("新建分类"), &MainForm::jsonTypeItmeAdd);
    actTypeRename = action("actTypeRename", tr("重命名"), &MainForm::jsonTypeItmeRename);
    actTypeDelete = action("actTypeDelete", tr("删除"), &MainForm::jsonTypeItmeDelete);
    actImportApps = action("actImportApps", tr("导入应用程序…"), &MainForm::importApplications);
    menuTypeBlank = menu({actTypeAdd, nullptr, actImportApps});
    menuTypeEntry = menu({actTypeAdd, actTypeRename, actTypeDelete, nullptr, actImportApps});

    actGroupAdd = action("actGroupAdd", tr("新建分组"), &MainForm::jsonGroupItmeAdd);
    actGroupDelete = action("actGroupDelete", tr("删除"), &MainForm::jsonGroupItmeDelete);
    actGroupRename = action("actGroupRename", tr("重命名"), &MainForm::jsonGroupItmeRename);
    actGroupMove = action("actGroupMove", tr("移动到..."), &MainForm::jsonGroupItmeMove);
    actGroupDeleteAll = action("actGroupDeleteAll", tr("删除全部分组"), &MainForm::jsonGroupItmeDeleteAll);
    actItemClear = action("actItemClear", tr("清空本组"), &MainForm::jsonItmeClear);
    menuGroupBlank = menu({actGroupAdd, actGroupDeleteAll});
    menuGroupEntry =
        menu({actGroupAdd, actGroupRename, actGroupMove, actGroupDelete, actGroupDeleteAll, actItemClear});

    actOpen = action("actOpen", tr("打开"), &MainForm::openThis);
    actOpenDir = action("actOpenDir", tr("打开文件位置"), &MainForm::openThisDir);
    actCopyPath = action("actCopyPath", tr("复制完整路径"), &MainForm::copyThisDir);
    actItemAdd = action("actItemAdd", tr("新建"), &MainForm::jsonItmeAdd);
    actItemRename = action("actItemRename", tr("重命名"), &MainForm::jsonItmeRename);
    actItemDelete = action("actItemDelete", tr("删除"), &MainForm::jsonItmeDelete);
    actItemMove = action("actItemMove", tr("移动到..."), &MainForm::jsonItmeMove);
    actAttribute = action("actAttribute", tr("属性"), &MainForm::openFormAttribute);
    menuItemBlank = menu({actItemAdd});
    menuItemEntry = menu({actOpen, nullptr, actOpenDir, actCopyPath, actItemRename, actItemMove, actItemAdd,
                          actItemDelete, nullptr, actAttribute});

    // Quitting writes the Catalog and the window size first, so no edit is
    // lost on the way out. Where there is no tray, the lists' blank-space
    // menus are where it is found; the key itself is the keymap's, shown
    // here so that it is found too.
    actQuit = action("actQuit", tr("退出"), &MainForm::quitTarn);
    actQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    trayMenu = menu({actQuit});
    for (QMenu* blank : {menuTypeBlank, menuGroupBlank, menuItemBlank}) {
        blank->addSeparator();
        blank->addAction(actQuit);
    }
}

void MainForm::connectSignals() {
    connect(ui->listWidget_type, &QListWidget::currentRowChanged, this, &MainForm::typeCurrentRowChanged);
    connect(ui->listWidget_group, &QListWidget::currentRowChanged, this, &MainForm::groupCurrentRowChanged);
    connect(ui->listWidget_item, &QListWidget::itemDoubleClicked, this, &MainForm::openThis);
    connect(ui->listWidget_result, &QListWidget::itemDoubleClicked, this, &MainForm::openThis);

    connect(ui->toolButton_settings, &QToolButton::clicked, this, &MainForm::openFormSettings);
}

void MainForm::updateCurrentRows() {
    typeRow = ui->listWidget_type->currentRow();
    groupRow = ui->listWidget_group->currentRow();
    itemRow = ui->listWidget_item->currentRow();
}

const catalog::Value* MainForm::jsonTypes() {
    updateCurrentRows();
    return catalog::types(document.doc());
}

const catalog::Value* MainForm::jsonGroups() {
    updateCurrentRows();
    return catalog::groupsOf(document.doc(), typeRow);
}

const catalog::Value* MainForm::jsonItems() {
    updateCurrentRows();
    return catalog::itemsOf(document.doc(), typeRow, groupRow);
}

search::ItemRef MainForm::currentItemRef() {
    updateCurrentRows();
    return searching() ? searchPanel->selectedRef() : search::ItemRef{typeRow, groupRow, itemRow};
}

const catalog::Value* MainForm::jsonItem() {
    // During a search the current Item is the selected result, wherever it lives.
    const search::ItemRef ref = currentItemRef();
    return catalog::itemAt(document.doc(), ref.type, ref.group, ref.item);
}

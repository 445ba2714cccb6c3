// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/mainform.h"

#include "icons/itemicon.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/mainformfixture.h"
#include "support/menupicker.h"
#include "support/modalanswerer.h"

#include <QAction>
#include <QFileIconProvider>
#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QToolButton>
#include <QtTest>

namespace {

const QByteArray kFirstRunFile = R"({"type":[{"name":"默认分类","group":[{"name":"默认分组","item":[]}]}]})";

// Three Types; the first has three Groups with Items of every kind.
QByteArray sampleCatalog(const QString& existingFile, const QString& existingFolder) {
    return QString::fromUtf8(R"({"type":[{"name":"常用","group":[{"name":"工具","item":[)"
                             R"({"name":"文件","type":0,"param":"-a","path":"%1"},)"
                             R"({"name":"目录","type":1,"param":"","path":"%2","customIcon":""},)"
                             R"({"name":"网站","type":2,"param":"","path":"https://www.debian.org"},)"
                             R"({"name":"丢失","type":0,"param":"","path":"/nonexistent/x"}]},)"
                             R"({"name":"空组","item":[]},)"
                             R"({"name":"第三组","item":[{"name":"唯一","type":0,"param":"","path":""}]}]},)"
                             R"({"name":"无分组"},)"
                             R"({"name":"游戏","group":[{"name":"默认分组","item":[]}]}]})")
        .arg(existingFile, existingFolder)
        .toUtf8();
}

QByteArray compact(const QByteArray& text) {
    catalog::Document doc;
    catalog::parse(doc, text.constData());
    return catalog::serialize(doc);
}

} // namespace

// What an entry shows, at the size the grid draws it.
QImage shownIcon(const QIcon& icon) {
    return icon.pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32);
}

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void widgetTree() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        QCOMPARE(form.objectName(), QStringLiteral("MainForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarn"));
        QCOMPARE(form.size(), QSize(848, 507));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.acceptDrops());
        QVERIFY(form.styleSheet().contains(
            QStringLiteral("#listWidget_type:item:selected{\n\tborder-left:2px solid #48a0dc;")));

        QListWidget* types = shown.typeList();
        QListWidget* groups = shown.groupList();
        QListWidget* items = shown.itemList();
        QVERIFY(types && groups && items);
        QCOMPARE(types->maximumWidth(), 130);
        QCOMPARE(groups->minimumHeight(), 38);
        QCOMPARE(groups->maximumHeight(), 38);
        QCOMPARE(groups->flow(), QListView::LeftToRight);
        QCOMPARE(items->viewMode(), QListView::IconMode);
        QCOMPARE(items->movement(), QListView::Static);
        QCOMPARE(items->resizeMode(), QListView::Adjust);
        QCOMPARE(items->textElideMode(), Qt::ElideMiddle);
        QVERIFY(items->dragEnabled());
        for (QListWidget* list : {types, groups}) {
            QCOMPARE(list->dragDropMode(), QAbstractItemView::InternalMove);
            QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QVERIFY(list->viewport()->acceptDrops());
        }
        auto* settings = form.findChild<QToolButton*>(QStringLiteral("toolButton_settings"));
        QVERIFY(settings);
        QCOMPARE(settings->iconSize(), QSize(24, 24));
        QVERIFY(settings->autoRaise());
        QCOMPARE(settings->text(), QStringLiteral("..."));

        // The limits hold whatever the window's size.
        form.resize(1400, 900);
        QTRY_COMPARE(groups->height(), 38);
        QVERIFY(types->width() <= 130);
        QCOMPARE(types->geometry().left(), 0);
        QVERIFY(groups->geometry().left() >= types->geometry().right());
    }

    void actionsAndMenus() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        QStringList actionTexts;
        QStringList actionNames;
        for (const QAction* action :
             shown.form().findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
            actionTexts << action->text();
            actionNames << action->objectName();
        }
        QCOMPARE(actionTexts,
                 (QStringList{"新建分类", "重命名", "删除", "导入应用程序…", "新建分组", "删除", "重命名",
                              "移动到...", "删除全部分组", "清空本组", "打开", "打开文件位置", "复制完整路径",
                              "新建", "重命名", "删除", "移动到...", "属性", "退出"}));
        QCOMPARE(actionNames,
                 (QStringList{"actTypeAdd", "actTypeRename", "actTypeDelete", "actImportApps", "actGroupAdd",
                              "actGroupDelete", "actGroupRename", "actGroupMove", "actGroupDeleteAll",
                              "actItemClear", "actOpen", "actOpenDir", "actCopyPath", "actItemAdd",
                              "actItemRename", "actItemDelete", "actItemMove", "actAttribute", "actQuit"}));
        QList<QStringList> menus;
        for (const QMenu* menu : shown.form().findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
            menus << MenuPicker::entriesOf(menu);
        QCOMPARE(menus, (QList<QStringList>{
                            {"新建分类", "-", "导入应用程序…", "-", "退出"},
                            {"新建分类", "重命名", "删除", "-", "导入应用程序…"},
                            {"新建分组", "删除全部分组", "-", "退出"},
                            {"新建分组", "重命名", "移动到...", "删除", "删除全部分组", "清空本组"},
                            {"新建", "-", "退出"},
                            {"打开", "-", "打开文件位置", "复制完整路径", "重命名", "移动到...", "新建",
                             "删除", "-", "属性"},
                            {"退出"},
                        }));
    }

    void firstRun() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        DataFolder& data = shown.data;
        QCOMPARE(texts(shown.typeList()), QStringList{"默认分类"});
        QCOMPARE(shown.typeList()->currentRow(), 0);
        QCOMPARE(texts(shown.groupList()), QStringList{"默认分组"});
        QCOMPARE(shown.groupList()->currentRow(), 0);
        QCOMPARE(shown.itemList()->count(), 0);
        QCOMPARE(shown.typeList()->item(0)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
        // Nothing is written before the window is closed.
        QCOMPARE(data.readCatalog(), QByteArray());
        QVERIFY(!QFileInfo::exists(data.configPath()));

        form.close();
        QVERIFY(form.isHidden());
        QCOMPARE(data.readCatalog(), kFirstRunFile);
        configSettings->sync();
        QSettings written(data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.childGroups(), QStringList{QStringLiteral("Form")});
        QCOMPARE(written.value(QStringLiteral("Form/Height")).toInt(), form.height());
        QCOMPARE(written.value(QStringLiteral("Form/Width")).toInt(), form.width());
        QVERIFY(!written.contains(QStringLiteral("Form/CursorPos")));
    }

    void storedSizeIsRestored() {
        MainFormFixture shown;
        DataFolder::writeFile(shown.data.configPath(), "[Form]\nHeight=600\nWidth=900\n");
        QVERIFY(shown.show());
        QCOMPARE(shown.form().size(), QSize(900, 600));
    }

    void missingDataFolderWarnsAndStillShows() {
        ModalAnswerer answers;
        answers.press("OK");
        MainFormFixture shown(false);
        QVERIFY(shown.show());
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件打开出现错误！"));
        QCOMPARE(answers.boxes()[0].buttons, QStringList{"OK"});
        QCOMPARE(texts(shown.typeList()), QStringList{"默认分类"});
        QVERIFY(shown.form().isVisible());
        // The settings file makes its folder at the close, and the Catalog
        // then has a place to go.
        shown.form().close();
        QCOMPARE(shown.data.readCatalog(), kFirstRunFile);
        QCOMPARE(answers.unexpected(), 0);
    }

    void emptyTypeArrayShowsNothing() {
        MainFormFixture shown;
        QVERIFY(shown.show(R"({"type":[]})"));
        QCOMPARE(shown.typeList()->count(), 0);
        QCOMPARE(shown.typeList()->currentRow(), -1);
        QCOMPARE(shown.groupList()->count(), 0);
        QCOMPARE(shown.itemList()->count(), 0);
        QCOMPARE(shown.saved(), QByteArray(R"({"type":[]})"));
    }

    void cascade() {
        QTemporaryDir targets;
        const QString file = targets.filePath(QStringLiteral("a.txt"));
        DataFolder::writeFile(file, "x");
        MainFormFixture shown;
        QVERIFY(shown.show(sampleCatalog(file, targets.path())));
        QListWidget* types = shown.typeList();
        QListWidget* groups = shown.groupList();
        QListWidget* items = shown.itemList();
        QCOMPARE(texts(types), (QStringList{"常用", "无分组", "游戏"}));
        QCOMPARE(texts(groups), (QStringList{"工具", "空组", "第三组"}));
        QCOMPARE(groups->currentRow(), 0);
        QCOMPARE(texts(items), (QStringList{"文件", "目录", "网站", "丢失"}));
        QCOMPARE(items->currentRow(), -1);
        QVERIFY(items->item(0)->textAlignment() == 0);

        // Each entry shows the icon of its own target: the file's and the
        // folder's system icons, the web icon, the lost-target icon.
        QFileIconProvider provider;
        const QImage lost = shownIcon(QIcon(":/img/Lost.png"));
        QCOMPARE(shownIcon(items->item(0)->icon()), shownIcon(itemIcon(0, file, QString(), provider)));
        QCOMPARE(shownIcon(items->item(1)->icon()),
                 shownIcon(itemIcon(1, targets.path(), QString(), provider)));
        QCOMPARE(shownIcon(items->item(2)->icon()), shownIcon(QIcon(":/img/Web.png")));
        QCOMPARE(shownIcon(items->item(3)->icon()), lost);
        QVERIFY(shownIcon(items->item(0)->icon()) != lost);
        QVERIFY(shownIcon(items->item(1)->icon()) != lost);

        groups->setCurrentRow(2);
        QCOMPARE(texts(items), QStringList{"唯一"});
        groups->setCurrentRow(1);
        QCOMPARE(items->count(), 0);

        // A Type without "group" empties both lists and leaves no Group current.
        types->setCurrentRow(1);
        QCOMPARE(groups->count(), 0);
        QCOMPARE(groups->currentRow(), -1);
        QCOMPARE(items->count(), 0);

        types->setCurrentRow(2);
        QCOMPARE(texts(groups), QStringList{"默认分组"});
        QCOMPARE(groups->currentRow(), 0);
        QCOMPARE(items->count(), 0);

        types->setCurrentRow(0);
        QCOMPARE(groups->currentRow(), 0);
        QCOMPARE(items->count(), 4);

        // Showing the catalog changes nothing in it.
        const QByteArray before = shown.data.readCatalog();
        QCOMPARE(shown.saved(), compact(before));
    }

    void theFirstFrameShowsNamesWhereTheyStayAndTheIconsFollow() {
        DataFolder data;
        QByteArray items;
        const QByteArray web = "\"type\":2,\"param\":\"\",\"path\":\"https://www.debian.org\"}";
        for (int i = 0; i < 300; ++i)
            items += QByteArray(i ? "," : "") + "{\"name\":\"w" + QByteArray::number(i) + "\"," + web;
        data.writeCatalog("{\"type\":[{\"name\":\"T\",\"group\":[{\"name\":\"G\",\"item\":[" + items +
                          "]}]}]}");
        // Built, not yet shown: the fixture shows at once, so not through it.
        MainForm form;
        auto* grid = form.findChild<QListWidget*>(QStringLiteral("listWidget_item"));
        QCOMPARE(grid->count(), 300);
        // Blank cells, as large as the grid draws icons: a name does not move
        // when its icon comes.
        const QImage webIcon = shownIcon(QIcon(":/img/Web.png"));
        QVERIFY(shownIcon(grid->item(0)->icon()) != webIcon);
        const int side = grid->style()->pixelMetric(QStyle::PM_IconViewIconSize, nullptr, grid);
        QCOMPARE(grid->item(299)->icon().actualSize(QSize(side, side)), QSize(side, side));
        QSignalSpy started(&form, &MainForm::startUpFinished);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!started.isEmpty() || started.wait(5000));
        for (int i = 0; i < 300; ++i)
            QCOMPARE(shownIcon(grid->item(i)->icon()), webIcon);
    }

    void readOnlyCatalogIsShownAndNeverWritten() {
        MainFormFixture shown;
        const QByteArray text = R"({"type":[{"name":"只读分类","group":[]}]})";
        shown.data.writeCatalog(text);
        QFile::setPermissions(shown.data.catalogPath(),
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        ModalAnswerer answers;
        answers.press("OK");
        QVERIFY(shown.show());
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件打开出现错误！"));
        QCOMPARE(texts(shown.typeList()), QStringList{"只读分类"});
        shown.form().close();
        QVERIFY(!shown.form().saveCatalog());
        QCOMPARE(shown.data.readCatalog(), text);
    }

    void brokenCatalogIsCopiedAndTheUserTold() {
        const QByteArray text = R"({"type":[{"name":"A",]})";
        ModalAnswerer answers;
        answers.press("OK");
        MainFormFixture shown;
        QVERIFY(shown.show(text));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        const QString copy = QDir(shown.data.dataPath()).absoluteFilePath("Data.bak");
        QVERIFY2(answers.boxes()[0].text.contains(QDir::toNativeSeparators(copy)),
                 qPrintable(answers.boxes()[0].text));
        QCOMPARE(texts(shown.typeList()), QStringList{"默认分类"});
        shown.form().close();
        QCOMPARE(shown.data.readCatalog(), kFirstRunFile);
        QCOMPARE(DataFolder::readFile(copy), text);
    }

    void partlySoundCatalogShowsWhatIsSound() {
        ModalAnswerer answers;
        answers.press("OK");
        MainFormFixture shown;
        QVERIFY(shown.show(
            R"({"type":[{"name":"好","group":[{"name":"G","item":[{"name":"半","type":1.5}]}]},7]})"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(texts(shown.typeList()), QStringList{"好"});
        QCOMPARE(texts(shown.itemList()), QStringList{"半"});
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"

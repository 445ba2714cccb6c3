// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/modalanswerer.h"

#include <QAction>
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

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList entries(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

struct Lists {
    QListWidget* type;
    QListWidget* group;
    QListWidget* item;
    explicit Lists(const MainForm& form)
        : type(form.findChild<QListWidget*>(QStringLiteral("listWidget_type"))),
          group(form.findChild<QListWidget*>(QStringLiteral("listWidget_group"))),
          item(form.findChild<QListWidget*>(QStringLiteral("listWidget_item"))) {}
};

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void widgetTree() {
        DataFolder data;
        MainForm form;
        QCOMPARE(form.objectName(), QStringLiteral("MainForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tarn"));
        QCOMPARE(form.size(), QSize(848, 507));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.acceptDrops());
        QVERIFY(form.styleSheet().contains(
            QStringLiteral("#listWidget_type:item:selected{\n\tborder-left:2px solid #48a0dc;")));

        const Lists lists(form);
        QVERIFY(lists.type && lists.group && lists.item);
        QCOMPARE(lists.type->maximumWidth(), 130);
        QCOMPARE(lists.group->minimumHeight(), 38);
        QCOMPARE(lists.group->maximumHeight(), 38);
        QCOMPARE(lists.group->flow(), QListView::LeftToRight);
        QCOMPARE(lists.item->viewMode(), QListView::IconMode);
        QCOMPARE(lists.item->movement(), QListView::Static);
        QCOMPARE(lists.item->resizeMode(), QListView::Adjust);
        QCOMPARE(lists.item->textElideMode(), Qt::ElideMiddle);
        QVERIFY(lists.item->dragEnabled());
        for (QListWidget* list : {lists.type, lists.group}) {
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
        form.show();
        form.resize(1400, 900);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(lists.group->height(), 38);
        QVERIFY(lists.type->width() <= 130);
        QCOMPARE(lists.type->geometry().left(), 0);
        QVERIFY(lists.group->geometry().left() >= lists.type->geometry().right());
    }

    void actionsAndMenus() {
        DataFolder data;
        MainForm form;
        QStringList actionTexts;
        for (const QAction* action : form.findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly))
            actionTexts << action->text();
        QCOMPARE(actionTexts,
                 (QStringList{QStringLiteral("新建分类"), QStringLiteral("重命名"), QStringLiteral("删除"),
                              QStringLiteral("新建分组"), QStringLiteral("删除"), QStringLiteral("重命名"),
                              QStringLiteral("移动到..."), QStringLiteral("删除全部分组"),
                              QStringLiteral("清空本组"), QStringLiteral("打开"),
                              QStringLiteral("打开文件位置"), QStringLiteral("复制完整路径"),
                              QStringLiteral("新建"), QStringLiteral("重命名"), QStringLiteral("删除"),
                              QStringLiteral("移动到..."), QStringLiteral("属性"), QStringLiteral("退出")}));
        QList<QStringList> menus;
        for (const QMenu* menu : form.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
            menus << entries(menu);
        QCOMPARE(
            menus,
            (QList<QStringList>{
                {QStringLiteral("新建分类")},
                {QStringLiteral("新建分类"), QStringLiteral("重命名"), QStringLiteral("删除")},
                {QStringLiteral("新建分组"), QStringLiteral("删除全部分组")},
                {QStringLiteral("新建分组"), QStringLiteral("重命名"), QStringLiteral("移动到..."),
                 QStringLiteral("删除"), QStringLiteral("删除全部分组"), QStringLiteral("清空本组")},
                {QStringLiteral("新建")},
                {QStringLiteral("打开"), QStringLiteral("-"), QStringLiteral("打开文件位置"),
                 QStringLiteral("复制完整路径"), QStringLiteral("重命名"), QStringLiteral("移动到..."),
                 QStringLiteral("新建"), QStringLiteral("删除"), QStringLiteral("-"), QStringLiteral("属性")},
                {QStringLiteral("退出")},
            }));
    }

    void firstRun() {
        DataFolder data;
        MainForm form;
        const Lists lists(form);
        QCOMPARE(texts(lists.type), QStringList{QStringLiteral("默认分类")});
        QCOMPARE(lists.type->currentRow(), 0);
        QCOMPARE(texts(lists.group), QStringList{QStringLiteral("默认分组")});
        QCOMPARE(lists.group->currentRow(), 0);
        QCOMPARE(lists.item->count(), 0);
        QCOMPARE(lists.type->item(0)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
        // Nothing is written before the window is closed.
        QCOMPARE(data.readCatalog(), QByteArray());
        QVERIFY(!QFileInfo::exists(data.configPath()));

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
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
        DataFolder data;
        DataFolder::writeFile(data.configPath(), "[Form]\nHeight=600\nWidth=900\n");
        MainForm form;
        QCOMPARE(form.size(), QSize(900, 600));
    }

    void missingDataFolderWarnsAndStillShows() {
        DataFolder data(false);
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件打开出现错误！"));
        QCOMPARE(answers.boxes()[0].buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(texts(Lists(form).type), QStringList{QStringLiteral("默认分类")});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.isVisible());
        // The settings file makes its folder at the close, and the Catalog
        // then has a place to go.
        form.close();
        QCOMPARE(data.readCatalog(), kFirstRunFile);
        QCOMPARE(answers.unexpected(), 0);
    }

    void emptyTypeArrayShowsNothing() {
        DataFolder data;
        data.writeCatalog(R"({"type":[]})");
        MainForm form;
        const Lists lists(form);
        QCOMPARE(lists.type->count(), 0);
        QCOMPARE(lists.type->currentRow(), -1);
        QCOMPARE(lists.group->count(), 0);
        QCOMPARE(lists.item->count(), 0);
        QVERIFY(form.saveCatalog());
        QCOMPARE(data.readCatalog(), QByteArray(R"({"type":[]})"));
    }

    void cascade() {
        QTemporaryDir targets;
        const QString file = targets.filePath(QStringLiteral("a.txt"));
        DataFolder::writeFile(file, "x");
        DataFolder data;
        data.writeCatalog(sampleCatalog(file, targets.path()));
        MainForm form;
        const Lists lists(form);
        QCOMPARE(texts(lists.type),
                 (QStringList{QStringLiteral("常用"), QStringLiteral("无分组"), QStringLiteral("游戏")}));
        QCOMPARE(texts(lists.group),
                 (QStringList{QStringLiteral("工具"), QStringLiteral("空组"), QStringLiteral("第三组")}));
        QCOMPARE(lists.group->currentRow(), 0);
        QCOMPARE(texts(lists.item), (QStringList{QStringLiteral("文件"), QStringLiteral("目录"),
                                                 QStringLiteral("网站"), QStringLiteral("丢失")}));
        QCOMPARE(lists.item->currentRow(), -1);
        QVERIFY(lists.item->item(0)->textAlignment() == 0);
        QVERIFY(!lists.item->item(0)->icon().isNull());

        lists.group->setCurrentRow(2);
        QCOMPARE(texts(lists.item), QStringList{QStringLiteral("唯一")});
        lists.group->setCurrentRow(1);
        QCOMPARE(lists.item->count(), 0);

        // A Type without "group" empties both lists and leaves no Group current.
        lists.type->setCurrentRow(1);
        QCOMPARE(lists.group->count(), 0);
        QCOMPARE(lists.group->currentRow(), -1);
        QCOMPARE(lists.item->count(), 0);

        lists.type->setCurrentRow(2);
        QCOMPARE(texts(lists.group), QStringList{QStringLiteral("默认分组")});
        QCOMPARE(lists.group->currentRow(), 0);
        QCOMPARE(lists.item->count(), 0);

        lists.type->setCurrentRow(0);
        QCOMPARE(lists.group->currentRow(), 0);
        QCOMPARE(lists.item->count(), 4);

        // Showing the catalog changes nothing in it.
        const QByteArray before = data.readCatalog();
        QVERIFY(form.saveCatalog());
        QCOMPARE(data.readCatalog(), compact(before));
    }

    void cellsPastTheFirstScreenfulGetTheirIconsOnceShown() {
        DataFolder data;
        QByteArray items;
        const QByteArray web = "\"type\":2,\"param\":\"\",\"path\":\"https://www.debian.org\"}";
        for (int i = 0; i < 300; ++i)
            items += QByteArray(i ? "," : "") + "{\"name\":\"w" + QByteArray::number(i) + "\"," + web;
        data.writeCatalog("{\"type\":[{\"name\":\"T\",\"group\":[{\"name\":\"G\",\"item\":[" + items +
                          "]}]}]}");
        MainForm form;
        const Lists lists(form);
        QCOMPARE(lists.item->count(), 300);
        QVERIFY(!lists.item->item(0)->icon().isNull());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(!lists.item->item(299)->icon().isNull());
        for (int i = 0; i < 300; ++i)
            QVERIFY(!lists.item->item(i)->icon().isNull());
    }

    void readOnlyCatalogIsShownAndNeverWritten() {
        DataFolder data;
        const QByteArray text = R"({"type":[{"name":"只读分类","group":[]}]})";
        data.writeCatalog(text);
        QFile::setPermissions(data.catalogPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件打开出现错误！"));
        QCOMPARE(texts(Lists(form).type), QStringList{QStringLiteral("只读分类")});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.close();
        QVERIFY(!form.saveCatalog());
        QCOMPARE(data.readCatalog(), text);
    }

    void brokenCatalogIsCopiedAndTheUserTold() {
        DataFolder data;
        const QByteArray text = R"({"type":[{"name":"A",]})";
        data.writeCatalog(text);
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        const QString copy = QDir(data.dataPath()).absoluteFilePath(QStringLiteral("Data.bak"));
        QVERIFY2(answers.boxes()[0].text.contains(QDir::toNativeSeparators(copy)),
                 qPrintable(answers.boxes()[0].text));
        QCOMPARE(texts(Lists(form).type), QStringList{QStringLiteral("默认分类")});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.close();
        QCOMPARE(data.readCatalog(), kFirstRunFile);
        QCOMPARE(DataFolder::readFile(copy), text);
    }

    void partlySoundCatalogShowsWhatIsSound() {
        DataFolder data;
        data.writeCatalog(
            R"({"type":[{"name":"好","group":[{"name":"G","item":[{"name":"半","type":1.5}]}]},7]})");
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1);
        const Lists lists(form);
        QCOMPARE(texts(lists.type), QStringList{QStringLiteral("好")});
        QCOMPARE(texts(lists.item), QStringList{QStringLiteral("半")});
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Curating the catalog: context menus, editing commands, drops, reordering.
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/jsontext.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const QByteArray kThreeTypes =
    json("{'type':[{'name':'A','group':[{'name':'a1','item':[{'name':'1','type':0,'param':'','path':''},"
         "{'name':'2','type':0,'param':'','path':''},{'name':'3','type':0,'param':'','path':'','k':[1]},"
         "{'name':'4','type':0,'param':'','path':''}]},{'name':'a2','item':[]},{'name':'a3','item':[]},"
         "{'name':'a4','item':[]}]},{'name':'B','group':[{'name':'b1','item':[]}]},{'name':'C'}]}");

// One Type, one Group of `count` Items named 0, 1, 2, ...: more rows than
// the grid shows at once.
QByteArray manyItems(int count) {
    QString items;
    for (int i = 0; i < count; ++i)
        items += QStringLiteral("%1{'name':'%2','type':0,'param':'','path':''}").arg(i ? "," : "").arg(i);
    return json("{'type':[{'name':'A','group':[{'name':'a1','item':[" + items + "]}]}]}");
}

struct Window {
    DataFolder data;
    std::unique_ptr<MainForm> form;
    QListWidget* types = nullptr;
    QListWidget* groups = nullptr;
    QListWidget* items = nullptr;
    bool exposed = false;

    explicit Window(const QByteArray& catalogText) {
        data.writeCatalog(catalogText);
        form = std::make_unique<MainForm>();
        form->move(0, 0);
        form->show();
        exposed = QTest::qWaitForWindowExposed(form.get());
        types = form->findChild<QListWidget*>(QStringLiteral("listWidget_type"));
        groups = form->findChild<QListWidget*>(QStringLiteral("listWidget_group"));
        items = form->findChild<QListWidget*>(QStringLiteral("listWidget_item"));
    }
    QByteArray saved() {
        form->saveCatalog();
        return data.readCatalog();
    }
};

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// A point of the list in global coordinates: over `row`, or blank space.
QPoint globalPoint(QListWidget* list, int row) {
    const QRect area = list->viewport()->rect();
    const QPoint local =
        row >= 0 ? list->visualItemRect(list->item(row)).center() : area.bottomRight() - QPoint(3, 3);
    return list->viewport()->mapToGlobal(local);
}

QStringList entriesOf(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

// Waits for a popup menu, records its entries, and picks `entry` with the
// keyboard (or closes the menu when `entry` is empty).
class MenuPicker : public QObject {
public:
    explicit MenuPicker(const QString& wanted) : entry(wanted) {
        connect(&timer, &QTimer::timeout, this, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || done)
                return;
            done = true;
            shown = entriesOf(menu);
            for (QAction* action : menu->actions()) {
                if (!entry.isEmpty() && action->text() == entry) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
        });
        timer.start(10);
    }
    QString entry;
    QStringList shown;
    bool done = false;

private:
    QTimer timer;
};

// Asks for the list's context menu as a right click does, with the pointer
// over `row` (-1: blank space), and picks `entry`. Returns the entries shown.
QStringList useMenu(QListWidget* list, int row, const QString& entry) {
    const QPoint at = globalPoint(list, row);
    QCursor::setPos(at);
    MenuPicker picker(entry);
    QContextMenuEvent event(QContextMenuEvent::Mouse, list->mapFromGlobal(at), at);
    QApplication::sendEvent(list, &event);
    return picker.shown;
}

// A drop from another program, posted as the events the window would get (a
// second program that drags files is not at hand under Xvfb).
void drop(MainForm& form, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QDropEvent event(QPointF(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &event);
}

// Drags with the real pointer through the X server, as a user's hand would.
bool dragWithMouse(QPoint from, QPoint to) {
    QProcess xdotool;
    const QPoint nudge = from + QPoint(8, 8);
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QString::number(from.x()),   QString::number(from.y()),
                   QStringLiteral("sleep"),     QStringLiteral("0.2"),       QStringLiteral("mousedown"),
                   QStringLiteral("1"),         QStringLiteral("sleep"),     QStringLiteral("0.2"),
                   QStringLiteral("mousemove"), QString::number(nudge.x()),  QString::number(nudge.y()),
                   QStringLiteral("sleep"),     QStringLiteral("0.2"),       QStringLiteral("mousemove"),
                   QString::number(to.x()),     QString::number(to.y()),     QStringLiteral("sleep"),
                   QStringLiteral("0.3"),       QStringLiteral("mousemove"), QString::number(to.x() + 1),
                   QString::number(to.y()),     QStringLiteral("sleep"),     QStringLiteral("0.3"),
                   QStringLiteral("mouseup"),   QStringLiteral("1")});
    if (!xdotool.waitForStarted())
        return false;
    QElapsedTimer elapsed;
    elapsed.start();
    while (xdotool.state() != QProcess::NotRunning && elapsed.elapsed() < 10000)
        QTest::qWait(20);
    QTest::qWait(200);
    return xdotool.exitCode() == 0;
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installModalWatchdog(); }

    void menusFollowThePointer() {
        // Lower lists first: a menu on an entry makes that entry current.
        Window w(kThreeTypes);
        QCOMPARE(useMenu(w.items, 0, QString()),
                 (QStringList{QStringLiteral("打开"), QStringLiteral("-"), QStringLiteral("打开文件位置"),
                              QStringLiteral("复制完整路径"), QStringLiteral("重命名"),
                              QStringLiteral("移动到..."), QStringLiteral("新建"), QStringLiteral("删除"),
                              QStringLiteral("-"), QStringLiteral("属性")}));
        QCOMPARE(w.items->currentRow(), 0);
        QCOMPARE(useMenu(w.items, -1, QString()), QStringList{QStringLiteral("新建")});
        QCOMPARE(useMenu(w.groups, 2, QString()),
                 (QStringList{QStringLiteral("新建分组"), QStringLiteral("重命名"),
                              QStringLiteral("移动到..."), QStringLiteral("删除"),
                              QStringLiteral("删除全部分组"), QStringLiteral("清空本组")}));
        QCOMPARE(w.groups->currentRow(), 2);
        QCOMPARE(useMenu(w.groups, -1, QString()),
                 (QStringList{QStringLiteral("新建分组"), QStringLiteral("删除全部分组")}));
        QCOMPARE(useMenu(w.types, 1, QString()),
                 (QStringList{QStringLiteral("新建分类"), QStringLiteral("重命名"), QStringLiteral("删除")}));
        QCOMPARE(w.types->currentRow(), 1);
        QCOMPARE(useMenu(w.types, -1, QString()), QStringList{QStringLiteral("新建分类")});
    }

    void aRealRightClickOpensTheMenuAtThePointer() {
        Window w(kThreeTypes);
        for (auto [list, row, expected] : {std::make_tuple(w.items, 3, 10), std::make_tuple(w.groups, -1, 2),
                                           std::make_tuple(w.types, 2, 3)}) {
            MenuPicker picker{QString()};
            const QPoint at = globalPoint(list, row);
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                               QStringLiteral("click"), QStringLiteral("3")});
            QTRY_VERIFY(picker.done);
            QCOMPARE(picker.shown.size(), expected);
        }
        // The right-clicked Type became current.
        QCOMPARE(w.types->currentRow(), 2);
    }

    void typeCommands() {
        Window w(kThreeTypes);
        const QByteArray before = w.saved();
        useMenu(w.types, -1, QStringLiteral("新建分类"));
        QCOMPARE(texts(w.types), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                              QStringLiteral("默认分类")}));
        QCOMPARE(w.types->currentRow(), 3);
        QCOMPARE(texts(w.groups), QStringList{QStringLiteral("默认分组")});
        QCOMPARE(w.groups->currentRow(), 0);
        useMenu(w.types, 3, QStringLiteral("新建分类"));
        QCOMPARE(texts(w.types), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                              QStringLiteral("默认分类"), QStringLiteral("默认分类")}));
        QCOMPARE(w.types->currentRow(), 4);

        // Rename acts on the Type under the pointer; blanks stay; an empty
        // answer keeps the name.
        ModalAnswerer answers;
        answers.handle(ModalAnswerer::typeText(QStringLiteral("  乙 ")))
            .handle(ModalAnswerer::typeText(QString()));
        useMenu(w.types, 1, QStringLiteral("重命名"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("新名称"));
        QCOMPARE(texts(w.types)[1], QStringLiteral("  乙 "));
        QCOMPARE(w.types->currentRow(), 1);
        useMenu(w.types, 1, QStringLiteral("重命名"));
        QCOMPARE(texts(w.types)[1], QStringLiteral("  乙 "));

        // Delete: the middle of three leaves the next one current; the last
        // leaves none.
        w.types->setCurrentRow(0);
        answers.press(QStringLiteral("No")).press(QStringLiteral("Yes")).press(QStringLiteral("Yes"));
        useMenu(w.types, 1, QStringLiteral("删除"));
        QCOMPARE(texts(w.types).size(), 5);
        useMenu(w.types, 1, QStringLiteral("删除"));
        QCOMPARE(answers.boxes().last().title, QStringLiteral("询问"));
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除这个分类嘛"));
        QCOMPARE(texts(w.types), (QStringList{QStringLiteral("A"), QStringLiteral("C"),
                                              QStringLiteral("默认分类"), QStringLiteral("默认分类")}));
        QCOMPARE(w.types->currentRow(), 1);
        useMenu(w.types, 3, QStringLiteral("删除"));
        QCOMPARE(texts(w.types),
                 (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("默认分类")}));
        QCOMPARE(w.types->currentRow(), -1);
        QCOMPARE(w.groups->count(), 0);
        QVERIFY(w.saved() != before);
    }

    void deletingTheOnlyTypeLeavesAnEmptyCatalog() {
        Window w(json("{'type':[{'name':'X','group':[]}]}"));
        ModalAnswerer answers;
        answers.press(QStringLiteral("Yes"));
        useMenu(w.types, 0, QStringLiteral("删除"));
        QCOMPARE(w.types->count(), 0);
        QCOMPARE(w.saved(), json("{'type':[]}"));
    }

    void groupCommands() {
        Window w(kThreeTypes);
        useMenu(w.groups, -1, QStringLiteral("新建分组"));
        QCOMPARE(texts(w.groups),
                 (QStringList{QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3"),
                              QStringLiteral("a4"), QStringLiteral("新分组")}));
        QCOMPARE(w.groups->currentRow(), 4);

        ModalAnswerer answers;
        answers.handle(ModalAnswerer::typeText(QStringLiteral("二")));
        w.groups->setCurrentRow(1);
        useMenu(w.groups, 1, QStringLiteral("重命名"));
        QCOMPARE(texts(w.groups)[1], QStringLiteral("二"));
        QCOMPARE(w.groups->currentRow(), 1);

        answers.press(QStringLiteral("Yes"));
        useMenu(w.groups, 2, QStringLiteral("删除"));
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除这个分组嘛"));
        QCOMPARE(texts(w.groups), (QStringList{QStringLiteral("a1"), QStringLiteral("二"),
                                               QStringLiteral("a4"), QStringLiteral("新分组")}));
        QCOMPARE(w.groups->currentRow(), 0);

        answers.press(QStringLiteral("Yes"));
        useMenu(w.groups, 0, QStringLiteral("清空本组"));
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要清空本组所有数据嘛"));
        QCOMPARE(w.items->count(), 0);
        QCOMPARE(texts(w.groups).size(), 4);

        answers.press(QStringLiteral("Yes"));
        useMenu(w.groups, -1, QStringLiteral("删除全部分组"));
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除全部分组嘛"));
        QCOMPARE(w.groups->count(), 0);
        QCOMPARE(w.groups->currentRow(), -1);
        QVERIFY(w.saved().startsWith(json("{'type':[{'name':'A','group':[]},")));
        QCOMPARE(answers.unexpected(), 0);
    }

    void itemCommands() {
        Window w(kThreeTypes);
        ModalAnswerer answers;
        answers.handle(ModalAnswerer::typeText(QStringLiteral("二号")));
        w.items->setCurrentRow(1);
        useMenu(w.items, 1, QStringLiteral("重命名"));
        QCOMPARE(texts(w.items), (QStringList{QStringLiteral("1"), QStringLiteral("二号"),
                                              QStringLiteral("3"), QStringLiteral("4")}));
        QCOMPARE(w.items->currentRow(), -1);

        answers.press(QStringLiteral("Yes"));
        w.items->setCurrentRow(2);
        useMenu(w.items, 2, QStringLiteral("删除"));
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除这个项目嘛"));
        QCOMPARE(texts(w.items),
                 (QStringList{QStringLiteral("1"), QStringLiteral("二号"), QStringLiteral("4")}));
    }

    void newItemThroughTheDialog() {
        Window w(kThreeTypes);
        // Cancel adds nothing.
        QTimer::singleShot(300, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        useMenu(w.items, -1, QStringLiteral("新建"));
        QCOMPARE(w.items->count(), 4);
        QTimer::singleShot(300, [] {
            if (auto* dialog = QApplication::activeModalWidget()) {
                dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_name"))
                    ->setText(QStringLiteral("新的"));
                dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_path"))
                    ->setText(QStringLiteral("/opt/x"));
                QTest::keyClick(dialog, Qt::Key_Return);
            }
        });
        useMenu(w.items, -1, QStringLiteral("新建"));
        QCOMPARE(texts(w.items), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                              QStringLiteral("4"), QStringLiteral("新的")}));
        QVERIFY(
            w.saved().contains(json("{'name':'新的','type':0,'param':'','path':'/opt/x','customIcon':''}]")));
    }

    void propertiesEditInPlace() {
        Window w(kThreeTypes);
        w.items->setCurrentRow(2);
        QTimer::singleShot(300, [] {
            if (auto* dialog = QApplication::activeModalWidget()) {
                dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_param"))
                    ->setText(QStringLiteral("-v"));
                QTest::keyClick(dialog, Qt::Key_Return);
            }
        });
        useMenu(w.items, 2, QStringLiteral("属性"));
        QVERIFY(w.saved().contains(json("{'name':'3','type':0,'param':'-v','path':'','k':[1]}")));
    }

    void movesToAnotherContainerAndToItself() {
        Window w(kThreeTypes);
        auto chooseInMove = [](int typeRow, int groupRow) {
            QTimer::singleShot(300, [=] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (!dialog)
                    return;
                dialog->findChild<QListWidget*>(QStringLiteral("listWidget_Type"))->setCurrentRow(typeRow);
                if (groupRow >= 0)
                    dialog->findChild<QListWidget*>(QStringLiteral("listWidget_group"))
                        ->setCurrentRow(groupRow);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("pushButton_ok")),
                                  Qt::LeftButton);
            });
        };
        // Item 2 to Group b1 of Type B.
        w.items->setCurrentRow(1);
        chooseInMove(1, 0);
        useMenu(w.items, 1, QStringLiteral("移动到..."));
        QCOMPARE(texts(w.items),
                 (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4")}));
        // Item 1 to its own Group: it goes to the end.
        w.items->setCurrentRow(0);
        chooseInMove(0, 0);
        useMenu(w.items, 0, QStringLiteral("移动到..."));
        QCOMPARE(texts(w.items),
                 (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("1")}));
        // Group a1 (with its Items) to its own Type, then a2 to Type C, which
        // has no "group" yet.
        chooseInMove(0, -1);
        useMenu(w.groups, 0, QStringLiteral("移动到..."));
        QCOMPARE(texts(w.groups), (QStringList{QStringLiteral("a2"), QStringLiteral("a3"),
                                               QStringLiteral("a4"), QStringLiteral("a1")}));
        QCOMPARE(w.groups->currentRow(), 0);
        chooseInMove(2, -1);
        useMenu(w.groups, 0, QStringLiteral("移动到..."));
        QCOMPARE(texts(w.groups),
                 (QStringList{QStringLiteral("a3"), QStringLiteral("a4"), QStringLiteral("a1")}));
        QCOMPARE(
            w.saved(),
            json("{'type':[{'name':'A','group':[{'name':'a3','item':[]},{'name':'a4','item':[]},"
                 "{'name':'a1','item':[{'name':'3','type':0,'param':'','path':'','k':[1]},"
                 "{'name':'4','type':0,'param':'','path':''},{'name':'1','type':0,'param':'','path':''}]}]},"
                 "{'name':'B','group':[{'name':'b1','item':[{'name':'2','type':0,'param':'','path':''}]}]},"
                 "{'name':'C','group':[{'name':'a2','item':[]}]}]}"));
    }

    void guardedCasesChangeNothing() {
        // No Type: "删除全部分组" and "新建分组" from blank space.
        {
            Window w(json("{'type':[]}"));
            const QByteArray before = w.saved();
            useMenu(w.groups, -1, QStringLiteral("删除全部分组"));
            useMenu(w.groups, -1, QStringLiteral("新建分组"));
            QCOMPARE(w.saved(), before);
        }
        // No current Group: "新建" and a drop give a notice and change nothing.
        {
            Window w(json("{'type':[{'name':'C'}]}"));
            const QByteArray before = w.saved();
            ModalAnswerer answers;
            answers.press(QStringLiteral("OK")).press(QStringLiteral("OK"));
            useMenu(w.items, -1, QStringLiteral("新建"));
            drop(*w.form, {QUrl::fromLocalFile(QStringLiteral("/tmp"))});
            QCOMPARE(answers.boxes().size(), 2);
            QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
            QCOMPARE(w.saved(), before);
        }
        // A move to a Type without Groups cannot be confirmed.
        {
            Window w(kThreeTypes);
            const QByteArray before = w.saved();
            QTimer::singleShot(300, [] {
                QWidget* dialog = QApplication::activeModalWidget();
                dialog->findChild<QListWidget*>(QStringLiteral("listWidget_Type"))->setCurrentRow(2);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("pushButton_ok")),
                                  Qt::LeftButton);
                QTimer::singleShot(100, dialog, [dialog] { static_cast<QDialog*>(dialog)->reject(); });
            });
            w.items->setCurrentRow(0);
            useMenu(w.items, 0, QStringLiteral("移动到..."));
            QCOMPARE(w.saved(), before);
        }
    }

    void dropsAddItems() {
        QTemporaryDir dir;
        DataFolder::writeFile(dir.filePath(QStringLiteral("report.final.docx")), "x");
        DataFolder::writeFile(dir.filePath(QStringLiteral("b.txt")), "x");
        QDir(dir.path()).mkdir(QStringLiteral("folder"));
        Window w(kThreeTypes);
        w.groups->setCurrentRow(1);
        drop(*w.form, {QUrl::fromLocalFile(dir.filePath(QStringLiteral("report.final.docx"))),
                       QUrl::fromLocalFile(dir.filePath(QStringLiteral("folder"))),
                       QUrl(QStringLiteral("https://www.debian.org/doc/"))});
        QCOMPARE(texts(w.items), (QStringList{QStringLiteral("report"), QStringLiteral("folder"),
                                              QStringLiteral("网络书签")}));
        QVERIFY(
            w.saved().contains(json("{'name':'a2','item':[{'name':'report','type':0,'param':'','path':'") +
                               dir.filePath(QStringLiteral("report.final.docx")).toUtf8() +
                               json("','customIcon':''},{'name':'folder','type':1,'param':'','path':'") +
                               dir.filePath(QStringLiteral("folder")).toUtf8() +
                               json("','customIcon':''},{'name':'网络书签','type':2,'param':'','path':'https:"
                                    "//www.debian.org/doc/',"
                                    "'customIcon':''}]}")));

        QMimeData text;
        text.setText(QStringLiteral("plain"));
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.form.get(), &refused);
        QVERIFY(!refused.isAccepted());
        QMimeData uris;
        uris.setUrls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("b.txt")))});
        QDragEnterEvent accepted(QPoint(10, 10), Qt::CopyAction, &uris, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.form.get(), &accepted);
        QVERIFY(accepted.isAccepted());
    }

    void droppedMenuEntryIsNamedByItsLocalizedName() {
        QTemporaryDir dir;
        DataFolder::writeFile(dir.filePath("org.example.Tool.desktop"),
                              "[Desktop Entry]\nType=Application\nName=Tool\nName[de]=Werkzeug\nExec=sh\n");
        DataFolder::writeFile(dir.filePath("nameless.desktop"), "[Desktop Entry]\nExec=sh\n");
        const QByteArray locale = qgetenv("LC_ALL");
        qputenv("LC_ALL", "de_AT.UTF-8");
        Window w(kThreeTypes);
        w.groups->setCurrentRow(1);
        drop(*w.form, {QUrl::fromLocalFile(dir.filePath("org.example.Tool.desktop")),
                       QUrl::fromLocalFile(dir.filePath("nameless.desktop"))});
        qputenv("LC_ALL", locale);
        QCOMPARE(texts(w.items), (QStringList{"Werkzeug", "nameless"}));
        QVERIFY(w.saved().contains(json("{'name':'Werkzeug','type':0,'param':'','path':'") +
                                   dir.filePath("org.example.Tool.desktop").toUtf8() + json("'")));
    }

    void droppedLinksAskFirst() {
        QTemporaryDir dir;
        DataFolder::writeFile(dir.filePath(QStringLiteral("target.txt")), "x");
        QDir(dir.path()).mkdir(QStringLiteral("folder"));
        QVERIFY(
            QFile::link(dir.filePath(QStringLiteral("target.txt")), dir.filePath(QStringLiteral("one.lnk"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("folder")), dir.filePath(QStringLiteral("two.lnk"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("target.txt")),
                            dir.filePath(QStringLiteral("three.lnk"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.txt")),
                            dir.filePath(QStringLiteral("broken.lnk"))));
        auto urls = [&](QStringList names) {
            QList<QUrl> out;
            for (const QString& name : names)
                out << QUrl::fromLocalFile(dir.filePath(name));
            return out;
        };
        auto paths = [&](Window& w) {
            QStringList out;
            const QByteArray saved = w.saved();
            catalog::Document doc;
            catalog::parse(doc, saved.constData());
            for (const catalog::Value& item : (*catalog::itemsOf(doc, 1, 0)).GetArray())
                out << QString(QStringLiteral("%1:%2:%3"))
                           .arg(catalog::memberText(item, "name"))
                           .arg(item["type"].GetInt())
                           .arg(QFileInfo(catalog::memberText(item, "path")).fileName());
            return out;
        };
        Window w(kThreeTypes);
        w.types->setCurrentRow(1);

        // "否" keeps the link itself (its kind follows the target); "全部是"
        // takes the targets and asks no more.
        ModalAnswerer answers;
        answers.press(QStringLiteral("否")).press(QStringLiteral("全部是"));
        drop(*w.form,
             urls({QStringLiteral("one.lnk"), QStringLiteral("two.lnk"), QStringLiteral("three.lnk")}));
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("询问"));
        QCOMPARE(answers.boxes()[0].buttons,
                 (QStringList{QStringLiteral("是"), QStringLiteral("否"), QStringLiteral("全部是")}));
        QCOMPARE(paths(w), (QStringList{QStringLiteral("one:0:one.lnk"), QStringLiteral("two:1:folder"),
                                        QStringLiteral("three:0:target.txt")}));

        // A broken link: asked first; "Yes" goes on to the usual question.
        answers.press(QStringLiteral("Yes")).press(QStringLiteral("是"));
        drop(*w.form, urls({QStringLiteral("broken.lnk")}));
        QCOMPARE(answers.boxes().size(), 4);
        QCOMPARE(answers.boxes()[2].title, QStringLiteral("提示"));
        QCOMPARE(answers.boxes()[2].text,
                 QStringLiteral("添加的快捷方式指向的目标是无效的，可能被删除或者更改了\n还要继续添加吗？"));
        QCOMPARE(paths(w).last(), QStringLiteral("broken:0:gone.txt"));

        // "No" ends the drop: what came before stays, nothing after is added.
        answers.press(QStringLiteral("是")).press(QStringLiteral("No"));
        drop(*w.form,
             urls({QStringLiteral("one.lnk"), QStringLiteral("broken.lnk"), QStringLiteral("three.lnk")}));
        QCOMPARE(answers.boxes().size(), 6);
        QCOMPARE(paths(w).size(), 5);
        QCOMPARE(paths(w).last(), QStringLiteral("one:0:target.txt"));
        QCOMPARE(answers.unexpected(), 0);
    }

    void reorderGroupsByDragging() {
        Window w(kThreeTypes);
        const QRect third = w.groups->visualItemRect(w.groups->item(2));
        const QPoint from = globalPoint(w.groups, 0);
        const QPoint to = w.groups->viewport()->mapToGlobal(QPoint(third.right() - 10, third.center().y()));
        QVERIFY(dragWithMouse(from, to));
        QCOMPARE(texts(w.groups), (QStringList{QStringLiteral("a2"), QStringLiteral("a3"),
                                               QStringLiteral("a1"), QStringLiteral("a4")}));
        QCOMPARE(w.groups->currentRow(), 2);
        QVERIFY(w.saved().contains(
            json("'group':[{'name':'a2','item':[]},{'name':'a3','item':[]},{'name':'a1',")));
    }

    void reorderTypesByDragging() {
        Window w(kThreeTypes);
        const QRect first = w.types->visualItemRect(w.types->item(0));
        QVERIFY(dragWithMouse(globalPoint(w.types, 2),
                              w.types->viewport()->mapToGlobal(QPoint(first.center().x(), first.top() + 4))));
        QCOMPARE(texts(w.types),
                 (QStringList{QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(w.types->currentRow(), 0);
        QCOMPARE(w.groups->count(), 0);
        // Released on its own row: nothing changes.
        const QByteArray before = w.saved();
        QVERIFY(dragWithMouse(globalPoint(w.types, 1), globalPoint(w.types, 1) + QPoint(0, 3)));
        QCOMPARE(w.saved(), before);
    }

    void reorderItemsByDragging() {
        Window w(kThreeTypes);
        QVERIFY(dragWithMouse(globalPoint(w.items, 3), globalPoint(w.items, 1)));
        QCOMPARE(texts(w.items), (QStringList{QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("2"),
                                              QStringLiteral("3")}));
        QCOMPARE(w.items->currentRow(), -1);
        // Released over empty grid space: nothing changes.
        const QByteArray before = w.saved();
        QVERIFY(dragWithMouse(globalPoint(w.items, 0), globalPoint(w.items, -1)));
        QCOMPARE(w.saved(), before);
        QVERIFY(before.contains(json("{'name':'3','type':0,'param':'','path':'','k':[1]}]")));
    }

    void theGridIgnoresThePointerOutsideIt() {
        // Below the window lie rows of the grid scrolled out of sight.
        Window w(manyItems(60));
        QVERIFY(w.exposed);
        const QRect area = w.items->viewport()->rect();
        const QPoint below = w.items->viewport()->mapToGlobal(QPoint(40, area.bottom() + 60));
        QVERIFY(w.items->itemAt(w.items->viewport()->mapFromGlobal(below)));
        const QByteArray before = w.saved();

        // An Item dragged out of the grid and let go there stays put.
        QVERIFY(dragWithMouse(globalPoint(w.items, 0), below));
        QCOMPARE(w.saved(), before);
        QCOMPARE(w.items->item(0)->text(), QStringLiteral("0"));

        // A menu asked for with the pointer there takes no entry from there.
        const int current = w.items->currentRow();
        QCursor::setPos(below);
        MenuPicker picker("");
        QContextMenuEvent event(QContextMenuEvent::Mouse, w.items->mapFromGlobal(below), below);
        QApplication::sendEvent(w.items, &event);
        QCOMPARE(picker.shown, QStringList{"新建"});
        QCOMPARE(w.items->currentRow(), current);
    }
};

QTEST_MAIN(TestEditing)
#include "test_editing.moc"

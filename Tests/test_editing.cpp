// SPDX-License-Identifier: GPL-3.0-or-later
// Curating the catalog: context menus, editing commands, drops, reordering.
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/jsontext.h"
#include "support/mainformfixture.h"
#include "support/menupicker.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QDrag>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

// Qt 6 deprecates pos() for position(), which Qt 5.14 lacks.
QPoint dropPoint(const QDropEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->position().toPoint();
#else
    return event->pos();
#endif
}

const QString kItemDialog = QStringLiteral("FormAttribute");
const QString kMoveDialog = QStringLiteral("FormMove");

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

// A point of the list in global coordinates: over `row`, or blank space.
QPoint globalPoint(QListWidget* list, int row) {
    const QRect area = list->viewport()->rect();
    const QPoint local =
        row >= 0 ? list->visualItemRect(list->item(row)).center() : area.bottomRight() - QPoint(3, 3);
    return list->viewport()->mapToGlobal(local);
}

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

// Drags with the real pointer through the X server, as a user's hand would:
// press on `from`, nudge until the list's drag begins, move to `to` (and a
// pixel on, so the target sees a move there) and release. Each step waits for
// the window to have taken the one before; the steps run from a timer, since
// the drag itself runs an event loop of its own.
class PointerDrag : public QObject {
public:
    PointerDrag(QListWidget* dragged, QPoint from, QPoint to) : list(dragged) {
        const QPoint nudge = from + QPoint(8, 8);
        auto at = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
        steps = {
            {QStringList{QStringLiteral("mousemove")} + at(from) +
                 QStringList{QStringLiteral("mousedown"), QStringLiteral("1")},
             [this] { return pressed; }},
            // The view takes a first move as the start of a drag, and begins it
            // at the next.
            {QStringList{QStringLiteral("mousemove")} + at(nudge), [this] { return moved; }},
            {QStringList{QStringLiteral("mousemove")} + at(nudge + QPoint(2, 2)), [this] { return started; }},
            {QStringList{QStringLiteral("mousemove")} + at(to), [this, to] { return movedOver(to); }},
            {QStringList{QStringLiteral("mousemove")} + at(to + QPoint(1, 0)),
             [this, to] { return movedOver(to + QPoint(1, 0)); }},
            {QStringList{QStringLiteral("mouseup"), QStringLiteral("1")}, [this] { return ended; }},
        };
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
        // A drag that never ends would keep its event loop running.
        connect(&watchdog, &QTimer::timeout, this, [this] {
            failed = true;
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("1")});
        });
        watchdog.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, &PointerDrag::advance);
    }

    bool run() {
        timer.start(2);
        watchdog.start(10000);
        while (!failed && next <= steps.size()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            // The finished drag is released by a deferred delete, which plain
            // event processing outside an event loop leaves waiting.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        timer.stop();
        return !failed && next > steps.size();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            pressed = true;
        else if (event->type() == QEvent::MouseMove && pressed)
            moved = true;
        else if (event->type() == QEvent::DragMove)
            dragPos = dropPoint(static_cast<QDragMoveEvent*>(event));
        else if (event->type() == QEvent::ChildRemoved && watched == list && started)
            ended = !dragging();
        return QObject::eventFilter(watched, event);
    }

private:
    struct Step {
        QStringList xdotool;
        std::function<bool()> taken;
    };

    // A list that takes drops has seen the drag over `global`; the Item grid
    // takes none and learns only of the release.
    bool movedOver(QPoint global) const {
        return !list->viewport()->acceptDrops() || dragPos == list->viewport()->mapFromGlobal(global);
    }
    bool dragging() const { return list->findChild<QDrag*>(QString(), Qt::FindDirectChildrenOnly); }

    void advance() {
        // The drag is a child object of the list while it runs.
        started = started || dragging();
        // Done; the timer may still fire from an event loop the drop runs.
        if (next > steps.size() || xdotool.state() != QProcess::NotRunning)
            return;
        if (next > 0 && (xdotool.exitCode() != 0 || !steps[next - 1].taken()))
            return;
        if (next == steps.size()) {
            ++next;
            return;
        }
        xdotool.start(QStringLiteral("xdotool"), steps[next++].xdotool);
        failed = !xdotool.waitForStarted();
    }

    QListWidget* list;
    QVector<Step> steps;
    int next = 0;
    bool pressed = false;
    bool moved = false;
    QPoint dragPos;
    bool started = false;
    bool ended = false;
    bool failed = false;
    QProcess xdotool;
    QTimer timer;
    QTimer watchdog;
};

bool dragWithMouse(QListWidget* list, QPoint from, QPoint to) {
    return PointerDrag(list, from, to).run();
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installModalWatchdog(); }

    void menusFollowThePointer() {
        // Lower lists first: a menu on an entry makes that entry current.
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        QCOMPARE(useMenu(w.itemList(), 0, ""),
                 (QStringList{"打开", "-", "打开文件位置", "复制完整路径", "重命名", "移动到...", "新建",
                              "删除", "-", "属性"}));
        QCOMPARE(w.itemList()->currentRow(), 0);
        QCOMPARE(useMenu(w.itemList(), -1, ""), (QStringList{"新建", "-", "退出"}));
        QCOMPARE(useMenu(w.groupList(), 2, ""),
                 (QStringList{"新建分组", "重命名", "移动到...", "删除", "删除全部分组", "清空本组"}));
        QCOMPARE(w.groupList()->currentRow(), 2);
        QCOMPARE(useMenu(w.groupList(), -1, ""), (QStringList{"新建分组", "删除全部分组", "-", "退出"}));
        QCOMPARE(useMenu(w.typeList(), 1, ""),
                 (QStringList{"新建分类", "重命名", "删除", "-", "导入应用程序…"}));
        QCOMPARE(w.typeList()->currentRow(), 1);
        QCOMPARE(useMenu(w.typeList(), -1, ""), (QStringList{"新建分类", "-", "导入应用程序…", "-", "退出"}));
    }

    void aRealRightClickOpensTheMenuAtThePointer() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        for (auto [list, row, expected] :
             {std::make_tuple(w.itemList(), 3, 10), std::make_tuple(w.groupList(), -1, 4),
              std::make_tuple(w.typeList(), 2, 5)}) {
            MenuPicker picker("");
            const QPoint at = globalPoint(list, row);
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                               QStringLiteral("click"), QStringLiteral("3")});
            QTRY_VERIFY(picker.done);
            QCOMPARE(picker.shown.size(), expected);
        }
        // The right-clicked Type became current.
        QCOMPARE(w.typeList()->currentRow(), 2);
    }

    void typeCommands() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        const QByteArray before = w.saved();
        useMenu(w.typeList(), -1, "新建分类");
        QCOMPARE(texts(w.typeList()), (QStringList{"A", "B", "C", "默认分类"}));
        QCOMPARE(w.typeList()->currentRow(), 3);
        QCOMPARE(texts(w.groupList()), QStringList{"默认分组"});
        QCOMPARE(w.groupList()->currentRow(), 0);
        useMenu(w.typeList(), 3, "新建分类");
        QCOMPARE(texts(w.typeList()), (QStringList{"A", "B", "C", "默认分类", "默认分类"}));
        QCOMPARE(w.typeList()->currentRow(), 4);

        // Rename acts on the Type under the pointer; blanks stay; an empty
        // answer keeps the name.
        ModalAnswerer answers;
        answers.handle(ModalAnswerer::typeText("  乙 ")).handle(ModalAnswerer::typeText(""));
        useMenu(w.typeList(), 1, "重命名");
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("新名称"));
        QCOMPARE(texts(w.typeList())[1], QStringLiteral("  乙 "));
        QCOMPARE(w.typeList()->currentRow(), 1);
        useMenu(w.typeList(), 1, "重命名");
        QCOMPARE(texts(w.typeList())[1], QStringLiteral("  乙 "));

        // Delete: the middle of three leaves the next one current; the last
        // leaves none.
        w.typeList()->setCurrentRow(0);
        answers.press("No").press("Yes").press("Yes");
        useMenu(w.typeList(), 1, "删除");
        QCOMPARE(texts(w.typeList()).size(), 5);
        useMenu(w.typeList(), 1, "删除");
        QCOMPARE(answers.boxes().last().title, QStringLiteral("询问"));
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除这个分类嘛"));
        QCOMPARE(texts(w.typeList()), (QStringList{"A", "C", "默认分类", "默认分类"}));
        QCOMPARE(w.typeList()->currentRow(), 1);
        useMenu(w.typeList(), 3, "删除");
        QCOMPARE(texts(w.typeList()), (QStringList{"A", "C", "默认分类"}));
        QCOMPARE(w.typeList()->currentRow(), -1);
        QCOMPARE(w.groupList()->count(), 0);
        QVERIFY(w.saved() != before);
    }

    void deletingTheOnlyTypeLeavesAnEmptyCatalog() {
        MainFormFixture w;
        QVERIFY(w.show(json("{'type':[{'name':'X','group':[]}]}")));
        ModalAnswerer answers;
        answers.press("Yes");
        useMenu(w.typeList(), 0, "删除");
        QCOMPARE(w.typeList()->count(), 0);
        QCOMPARE(w.saved(), json("{'type':[]}"));
    }

    void groupCommands() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        useMenu(w.groupList(), -1, "新建分组");
        QCOMPARE(texts(w.groupList()), (QStringList{"a1", "a2", "a3", "a4", "新分组"}));
        QCOMPARE(w.groupList()->currentRow(), 4);

        ModalAnswerer answers;
        answers.handle(ModalAnswerer::typeText("二"));
        w.groupList()->setCurrentRow(1);
        useMenu(w.groupList(), 1, "重命名");
        QCOMPARE(texts(w.groupList())[1], QStringLiteral("二"));
        QCOMPARE(w.groupList()->currentRow(), 1);

        answers.press("Yes");
        useMenu(w.groupList(), 2, "删除");
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除这个分组嘛"));
        QCOMPARE(texts(w.groupList()), (QStringList{"a1", "二", "a4", "新分组"}));
        QCOMPARE(w.groupList()->currentRow(), 0);

        answers.press("Yes");
        useMenu(w.groupList(), 0, "清空本组");
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要清空本组所有数据嘛"));
        QCOMPARE(w.itemList()->count(), 0);
        QCOMPARE(texts(w.groupList()).size(), 4);

        answers.press("Yes");
        useMenu(w.groupList(), -1, "删除全部分组");
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除全部分组嘛"));
        QCOMPARE(w.groupList()->count(), 0);
        QCOMPARE(w.groupList()->currentRow(), -1);
        QVERIFY(w.saved().startsWith(json("{'type':[{'name':'A','group':[]},")));
        QCOMPARE(answers.unexpected(), 0);
    }

    void itemCommands() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        ModalAnswerer answers;
        answers.handle(ModalAnswerer::typeText("二号"));
        w.itemList()->setCurrentRow(1);
        useMenu(w.itemList(), 1, "重命名");
        QCOMPARE(texts(w.itemList()), (QStringList{"1", "二号", "3", "4"}));
        QCOMPARE(w.itemList()->currentRow(), -1);

        answers.press("Yes");
        w.itemList()->setCurrentRow(2);
        useMenu(w.itemList(), 2, "删除");
        QCOMPARE(answers.boxes().last().text, QStringLiteral("确定要删除这个项目嘛"));
        QCOMPARE(texts(w.itemList()), (QStringList{"1", "二号", "4"}));
    }

    void newItemThroughTheDialog() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        ModalAnswerer answers;
        // Cancel adds nothing.
        answers.handleDialog(kItemDialog, [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        useMenu(w.itemList(), -1, "新建");
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(w.itemList()->count(), 4);
        answers.handleDialog(kItemDialog, [](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_name"))->setText(QStringLiteral("新的"));
            dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_path"))->setText(QStringLiteral("/opt/x"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        useMenu(w.itemList(), -1, "新建");
        QCOMPARE(texts(w.itemList()), (QStringList{"1", "2", "3", "4", "新的"}));
        QVERIFY(
            w.saved().contains(json("{'name':'新的','type':0,'param':'','path':'/opt/x','customIcon':''}]")));
    }

    void propertiesEditInPlace() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        w.itemList()->setCurrentRow(2);
        ModalAnswerer answers;
        answers.handleDialog(kItemDialog, [](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_param"))->setText(QStringLiteral("-v"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        useMenu(w.itemList(), 2, "属性");
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(w.saved().contains(json("{'name':'3','type':0,'param':'-v','path':'','k':[1]}")));
    }

    void movesToAnotherContainerAndToItself() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        ModalAnswerer answers;
        auto chooseInMove = [&](int typeRow, int groupRow) {
            answers.handleDialog(kMoveDialog, [=](QWidget* dialog) {
                dialog->findChild<QListWidget*>(QStringLiteral("listWidget_Type"))->setCurrentRow(typeRow);
                if (groupRow >= 0)
                    dialog->findChild<QListWidget*>(QStringLiteral("listWidget_group"))
                        ->setCurrentRow(groupRow);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("pushButton_ok")),
                                  Qt::LeftButton);
            });
        };
        // Item 2 to Group b1 of Type B.
        w.itemList()->setCurrentRow(1);
        chooseInMove(1, 0);
        useMenu(w.itemList(), 1, "移动到...");
        QCOMPARE(texts(w.itemList()), (QStringList{"1", "3", "4"}));
        // Item 1 to its own Group: it goes to the end.
        w.itemList()->setCurrentRow(0);
        chooseInMove(0, 0);
        useMenu(w.itemList(), 0, "移动到...");
        QCOMPARE(texts(w.itemList()), (QStringList{"3", "4", "1"}));
        // Group a1 (with its Items) to its own Type, then a2 to Type C, which
        // has no "group" yet.
        chooseInMove(0, -1);
        useMenu(w.groupList(), 0, "移动到...");
        QCOMPARE(texts(w.groupList()), (QStringList{"a2", "a3", "a4", "a1"}));
        QCOMPARE(w.groupList()->currentRow(), 0);
        chooseInMove(2, -1);
        useMenu(w.groupList(), 0, "移动到...");
        QCOMPARE(texts(w.groupList()), (QStringList{"a3", "a4", "a1"}));
        QCOMPARE(answers.boxes().size(), 4);
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
            MainFormFixture w;
            QVERIFY(w.show(json("{'type':[]}")));
            const QByteArray before = w.saved();
            useMenu(w.groupList(), -1, "删除全部分组");
            useMenu(w.groupList(), -1, "新建分组");
            QCOMPARE(w.saved(), before);
        }
        // No current Group: "新建" and a drop give a notice and change nothing.
        {
            MainFormFixture w;
            QVERIFY(w.show(json("{'type':[{'name':'C'}]}")));
            const QByteArray before = w.saved();
            ModalAnswerer answers;
            answers.press("OK").press("OK");
            useMenu(w.itemList(), -1, "新建");
            drop(w.form(), {QUrl::fromLocalFile("/tmp")});
            QCOMPARE(answers.boxes().size(), 2);
            QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
            QCOMPARE(w.saved(), before);
        }
        // A move to a Type without Groups cannot be confirmed.
        {
            MainFormFixture w;
            QVERIFY(w.show(kThreeTypes));
            const QByteArray before = w.saved();
            ModalAnswerer answers;
            answers.handleDialog(kMoveDialog, [](QWidget* dialog) {
                dialog->findChild<QListWidget*>(QStringLiteral("listWidget_Type"))->setCurrentRow(2);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("pushButton_ok")),
                                  Qt::LeftButton);
                QTest::keyClick(dialog, Qt::Key_Return);
                QVERIFY(dialog->isVisible());
                static_cast<QDialog*>(dialog)->reject();
            });
            w.itemList()->setCurrentRow(0);
            useMenu(w.itemList(), 0, "移动到...");
            QCOMPARE(answers.boxes().size(), 1);
            QCOMPARE(w.saved(), before);
        }
    }

    void dropsAddItems() {
        QTemporaryDir dir;
        DataFolder::writeFile(dir.filePath("report.final.docx"), "x");
        DataFolder::writeFile(dir.filePath("b.txt"), "x");
        QDir(dir.path()).mkdir("folder");
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        w.groupList()->setCurrentRow(1);
        drop(w.form(), {QUrl::fromLocalFile(dir.filePath("report.final.docx")),
                        QUrl::fromLocalFile(dir.filePath("folder")), QUrl("https://www.debian.org/doc/")});
        QCOMPARE(texts(w.itemList()), (QStringList{"report", "folder", "网络书签"}));
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
        QApplication::sendEvent(&w.form(), &refused);
        QVERIFY(!refused.isAccepted());
        QMimeData uris;
        uris.setUrls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("b.txt")))});
        QDragEnterEvent accepted(QPoint(10, 10), Qt::CopyAction, &uris, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w.form(), &accepted);
        QVERIFY(accepted.isAccepted());
    }

    // The first search index is built on another thread from the window's
    // own tree. An Item dropped while it runs waits for the build, is not in
    // what it read, and the next search still finds it.
    void anItemAddedDuringTheIndexBuildIsFound() {
        QStringList many; // enough for a build that takes a while
        for (int i = 0; i < 20000; ++i)
            many << QStringLiteral("{'name':'文档%1','type':2,'param':'','path':'x%1.org'}").arg(i);
        MainFormFixture w;
        QVERIFY(w.show(json(QStringLiteral("{'type':[{'name':'T','group':[{'name':'G','item':[]},"
                                           "{'name':'H','item':[%1]}]}]}")
                                .arg(many.join(QLatin1Char(','))))));
        QTest::qWait(170); // the first build starts 150 ms after start-up
        QTemporaryDir dir;
        DataFolder::writeFile(dir.filePath("zzfresh.txt"), "x");
        drop(w.form(), {QUrl::fromLocalFile(dir.filePath("zzfresh.txt"))});
        QTest::keyClicks(w.itemList(), QStringLiteral("zzfresh"));
        auto* results = w.form().findChild<QListWidget*>(QStringLiteral("listWidget_result"));
        QVERIFY(results->isVisible());
        QCOMPARE(texts(results), QStringList{QStringLiteral("zzfresh")});
    }

    // Before the first index is there, a search goes through the catalog in
    // turns: something shows at once, and the whole ranking follows.
    void aSearchBeforeTheFirstIndexRanksTheWholeCatalog() {
        QStringList many;
        for (int i = 0; i < 20000; ++i)
            many << QStringLiteral("{'name':'wx%1','type':2,'param':'','path':'x%1.org'}").arg(i);
        many << QStringLiteral("{'name':'w','type':2,'param':'','path':'w.org'}");
        MainFormFixture w;
        QVERIFY(w.show(json(QStringLiteral("{'type':[{'name':'T','group':[{'name':'G','item':[%1]}]}]}")
                                .arg(many.join(QLatin1Char(','))))));
        QTest::keyClick(w.itemList(), Qt::Key_W);
        auto* results = w.form().findChild<QListWidget*>(QStringLiteral("listWidget_result"));
        QVERIFY(results->count() > 0);
        QTRY_COMPARE(texts(results).value(0), QStringLiteral("w"));
        QTRY_COMPARE(results->currentRow(), 0);
    }

    void droppedMenuEntryIsNamedByItsLocalizedName() {
        QTemporaryDir dir;
        DataFolder::writeFile(dir.filePath("org.example.Tool.desktop"),
                              "[Desktop Entry]\nType=Application\nName=Tool\nName[de]=Werkzeug\nExec=sh\n");
        DataFolder::writeFile(dir.filePath("nameless.desktop"), "[Desktop Entry]\nExec=sh\n");
        const QByteArray locale = qgetenv("LC_ALL");
        qputenv("LC_ALL", "de_AT.UTF-8");
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        w.groupList()->setCurrentRow(1);
        drop(w.form(), {QUrl::fromLocalFile(dir.filePath("org.example.Tool.desktop")),
                        QUrl::fromLocalFile(dir.filePath("nameless.desktop"))});
        qputenv("LC_ALL", locale);
        QCOMPARE(texts(w.itemList()), (QStringList{"Werkzeug", "nameless"}));
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
        auto paths = [&](MainFormFixture& w) {
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
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        w.typeList()->setCurrentRow(1);

        // "否" keeps the link itself (its kind follows the target); "全部是"
        // takes the targets and asks no more.
        ModalAnswerer answers;
        answers.press("否").press("全部是");
        drop(w.form(), urls({"one.lnk", "two.lnk", "three.lnk"}));
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("询问"));
        QCOMPARE(answers.boxes()[0].buttons,
                 (QStringList{QStringLiteral("是"), QStringLiteral("否"), QStringLiteral("全部是")}));
        QCOMPARE(paths(w), (QStringList{QStringLiteral("one:0:one.lnk"), QStringLiteral("two:1:folder"),
                                        QStringLiteral("three:0:target.txt")}));

        // A broken link: asked first; "Yes" goes on to the usual question.
        answers.press("Yes").press("是");
        drop(w.form(), urls({"broken.lnk"}));
        QCOMPARE(answers.boxes().size(), 4);
        QCOMPARE(answers.boxes()[2].title, QStringLiteral("提示"));
        QCOMPARE(answers.boxes()[2].text,
                 QStringLiteral("添加的快捷方式指向的目标是无效的，可能被删除或者更改了\n还要继续添加吗？"));
        QCOMPARE(paths(w).last(), QStringLiteral("broken:0:gone.txt"));

        // "No" ends the drop: what came before stays, nothing after is added.
        answers.press("是").press("No");
        drop(w.form(), urls({"one.lnk", "broken.lnk", "three.lnk"}));
        QCOMPARE(answers.boxes().size(), 6);
        QCOMPARE(paths(w).size(), 5);
        QCOMPARE(paths(w).last(), QStringLiteral("one:0:target.txt"));
        QCOMPARE(answers.unexpected(), 0);
    }

    void reorderGroupsByDragging() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        const QRect third = w.groupList()->visualItemRect(w.groupList()->item(2));
        const QPoint from = globalPoint(w.groupList(), 0);
        const QPoint to =
            w.groupList()->viewport()->mapToGlobal(QPoint(third.right() - 10, third.center().y()));
        QVERIFY(dragWithMouse(w.groupList(), from, to));
        QCOMPARE(texts(w.groupList()), (QStringList{"a2", "a3", "a1", "a4"}));
        QCOMPARE(w.groupList()->currentRow(), 2);
        QVERIFY(w.saved().contains(
            json("'group':[{'name':'a2','item':[]},{'name':'a3','item':[]},{'name':'a1',")));
    }

    void reorderTypesByDragging() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        const QRect first = w.typeList()->visualItemRect(w.typeList()->item(0));
        QVERIFY(dragWithMouse(
            w.typeList(), globalPoint(w.typeList(), 2),
            w.typeList()->viewport()->mapToGlobal(QPoint(first.center().x(), first.top() + 4))));
        QCOMPARE(texts(w.typeList()), (QStringList{"C", "A", "B"}));
        QCOMPARE(w.typeList()->currentRow(), 0);
        QCOMPARE(w.groupList()->count(), 0);
        // Released on its own row: nothing changes.
        const QByteArray before = w.saved();
        QVERIFY(dragWithMouse(w.typeList(), globalPoint(w.typeList(), 1),
                              globalPoint(w.typeList(), 1) + QPoint(0, 3)));
        QCOMPARE(w.saved(), before);
    }

    void reorderItemsByDragging() {
        MainFormFixture w;
        QVERIFY(w.show(kThreeTypes));
        QVERIFY(dragWithMouse(w.itemList(), globalPoint(w.itemList(), 3), globalPoint(w.itemList(), 1)));
        QCOMPARE(texts(w.itemList()), (QStringList{"1", "4", "2", "3"}));
        QCOMPARE(w.itemList()->currentRow(), -1);
        // Released over empty grid space: nothing changes.
        const QByteArray before = w.saved();
        QVERIFY(dragWithMouse(w.itemList(), globalPoint(w.itemList(), 0), globalPoint(w.itemList(), -1)));
        QCOMPARE(w.saved(), before);
        QVERIFY(before.contains(json("{'name':'3','type':0,'param':'','path':'','k':[1]}]")));
    }

    void theGridIgnoresThePointerOutsideIt() {
        // Below the window lie rows of the grid scrolled out of sight.
        MainFormFixture w;
        QVERIFY(w.show(manyItems(60)));
        const QRect area = w.itemList()->viewport()->rect();
        const QPoint below = w.itemList()->viewport()->mapToGlobal(QPoint(40, area.bottom() + 60));
        QVERIFY(w.itemList()->itemAt(w.itemList()->viewport()->mapFromGlobal(below)));
        const QByteArray before = w.saved();

        // An Item dragged out of the grid and let go there stays put.
        QVERIFY(dragWithMouse(w.itemList(), globalPoint(w.itemList(), 0), below));
        QCOMPARE(w.saved(), before);
        QCOMPARE(w.itemList()->item(0)->text(), QStringLiteral("0"));

        // A menu asked for with the pointer there takes no entry from there.
        const int current = w.itemList()->currentRow();
        QCursor::setPos(below);
        MenuPicker picker("");
        QContextMenuEvent event(QContextMenuEvent::Mouse, w.itemList()->mapFromGlobal(below), below);
        QApplication::sendEvent(w.itemList(), &event);
        QCOMPARE(picker.shown, (QStringList{"新建", "-", "退出"}));
        QCOMPARE(w.itemList()->currentRow(), current);
    }

    // A new catalog offers the import under its hint; the menu command
    // imports again later, adds only what is new, and asks once before
    // removing what is gone.
    void importFromTheLinkThenTheMenu() {
        QTemporaryDir share;
        QDir(share.path()).mkpath("applications");
        auto entry = [&](const char* name, const QByteArray& keys) {
            DataFolder::writeFile(share.filePath(QStringLiteral("applications/%1.desktop").arg(name)),
                                  "[Desktop Entry]\nType=Application\nExec=sh\n" + keys);
        };
        entry("editor", "Name=Editor\nCategories=Utility;\n");
        entry("player", "Name=Player\nCategories=Audio;\n");
        qputenv("XDG_DATA_HOME", share.filePath("home").toUtf8());
        qputenv("XDG_DATA_DIRS", share.path().toUtf8());
        MainFormFixture w;
        QVERIFY(w.show());
        auto* link = w.form().findChild<QLabel*>("label_importApplications");
        QVERIFY(link && link->isVisible());
        {
            ModalAnswerer answers;
            answers.press("OK");
            QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
            QVERIFY(answers.waitFor(1));
            QCOMPARE(answers.boxes()[0].text, QStringLiteral("已导入 2 个应用程序。"));
        }
        QCOMPARE(w.typeList()->count(), 2);
        QCOMPARE(w.typeList()->currentItem()->text(), QStringLiteral("应用程序"));
        QCOMPARE(w.groupList()->count(), 2);
        QCOMPARE(w.groupList()->item(0)->text(), QStringLiteral("影音"));
        QVERIFY(!link->isVisible());

        // Renamed by the user, then a new one comes and the player goes.
        w.groupList()->setCurrentRow(1);
        w.itemList()->setCurrentRow(0);
        {
            ModalAnswerer answers;
            answers.handle(ModalAnswerer::typeText(QStringLiteral("My editor")));
            QVERIFY(w.triggerAction("actItemRename"));
        }
        entry("viewer", "Name=Viewer\nCategories=Graphics;\n");
        QVERIFY(QFile::remove(share.filePath("applications/player.desktop")));
        for (const char* answer : {"No", "Yes"}) {
            ModalAnswerer answers;
            answers.press(answer).press("OK");
            QVERIFY(w.triggerAction("actImportApps"));
            QVERIFY(answers.waitFor(2));
            QVERIFY(answers.boxes()[0].text.contains("\nPlayer\n"));
            QCOMPARE(answers.boxes()[1].text, answer == QByteArray("No")
                                                  ? QStringLiteral("已导入 1 个应用程序。")
                                                  : QStringLiteral("没有新的应用程序。"));
        }
        QVERIFY(w.saved().contains("My editor"));
        QVERIFY(w.saved().contains("viewer.desktop"));
        QVERIFY(!w.saved().contains("player.desktop"));
        QVERIFY(!w.saved().contains("\"Editor\""));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
    }
};

QTEST_MAIN(TestEditing)
#include "test_editing.moc"

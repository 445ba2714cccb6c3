// SPDX-License-Identifier: GPL-3.0-or-later
// Driving the main window from the keyboard: type to find, the keys on the
// Item grid and on search results, Tab and Ctrl+Tab, showing the window.
// Every key goes to the widget that has the keyboard focus, as a user's does.
#include "mainform/mainform.h"

#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/diskfaults.h"
#include "support/jsontext.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/urlrecorder.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

namespace {

// Type "T1": Group "A" with sixty Items (enough to scroll), Group "B", an
// empty Group; Type "T2": Group "C" whose second Item is a program. Its place
// (1, 0, 1) differs from the current Group's Item 1, so a command that takes
// the wrong row hits "item01" instead.
QByteArray sampleCatalog(const QString& program, const QString& folder) {
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << QStringLiteral("{'name':'item%1','type':1,'param':'','path':'%2'}")
                    .arg(i, 2, 10, QLatin1Char('0'))
                    .arg(folder);
    return json(QStringLiteral("{'type':[{'name':'T1','group':[{'name':'A','item':[%1]},"
                               "{'name':'B','item':[{'name':'alpha','type':2,'param':'','path':'x.org'}]},"
                               "{'name':'E','item':[]}]},"
                               "{'name':'T2','group':[{'name':'C','item':["
                               "{'name':'zeta','type':2,'param':'','path':'z.org'},"
                               "{'name':'Dumper','type':0,'param':'x y','path':'%2'}]}]}]}")
                    .arg(many.join(QLatin1Char(',')), program));
}

// Whether anything but the background was painted.
bool hasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0))
                return true;
    return false;
}

// Presses a key on whatever widget has the keyboard focus.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus, "nothing has the keyboard focus");
    QTest::keyClick(focus, Qt::Key(key), modifiers);
}

void type(const QString& text) {
    for (const QChar c : text) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus, "nothing has the keyboard focus");
        QTest::keyClick(focus, c.toLatin1());
    }
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

    QTemporaryDir targets;
    UrlRecorder recorder;
    QString dumpFile;
    QString program;

    struct Window {
        MainFormFixture shown;
        MainForm* form = nullptr;
        QListWidget* types = nullptr;
        QListWidget* groups = nullptr;
        QListWidget* grid = nullptr;
        QListWidget* results = nullptr;
        QLineEdit* field = nullptr;
        bool active = false;

        // A message box took the keyboard; without a window manager under
        // Xvfb nobody hands it back, so do what one would.
        bool refocus() {
            form->activateWindow();
            return QTest::qWaitForWindowActive(form);
        }

        explicit Window(const QByteArray& catalogText) {
            if (!shown.show(catalogText))
                return;
            form = &shown.form();
            form->resize(640, 420);
            active = QTest::qWaitForWindowActive(form);
            types = shown.typeList();
            groups = shown.groupList();
            grid = shown.itemList();
            results = form->findChild<QListWidget*>("listWidget_result");
            field = form->findChild<QLineEdit*>("lineEdit_search");
        }
    };

    QByteArray catalogText() const { return sampleCatalog(program, targets.filePath("things")); }

    QStringList dumped() const {
        QFile file(dumpFile);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        installModalWatchdog();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, &recorder, "open");
        dumpFile = targets.filePath("argv.txt");
        qputenv("TARN_ARGV_DUMP", dumpFile.toUtf8());
        QDir(targets.path()).mkdir("bin");
        program = targets.filePath("bin/dump.exe");
        QVERIFY(QFile::copy(TARN_ARGVDUMP, program));
        QVERIFY(QDir(targets.path()).mkdir("things"));
    }
    void init() {
        recorder.urls.clear();
        QFile::remove(dumpFile);
        formOpenThenHide = false;
    }

    void typingFindsInEveryGroupAndClearingRestoresTheGroup() {
        Window w(catalogText());
        QVERIFY(w.active);
        QCOMPARE(QApplication::focusWidget(), w.grid);
        QVERIFY(!w.field->isVisible());
        w.grid->setCurrentRow(45);
        w.grid->scrollToItem(w.grid->item(45));
        const int scrolled = w.grid->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);

        type("dump");
        QVERIFY(w.field->isVisible());
        QCOMPARE(w.field->text(), QStringLiteral("dump"));
        QVERIFY(!w.grid->isVisible());
        QCOMPARE(texts(w.results), QStringList{"Dumper"});
        QCOMPARE(w.results->currentRow(), 0);
        QVERIFY(w.results->item(0)->isSelected());
        // Hovering a result tells its full name and path.
        const QPoint over = w.results->visualItemRect(w.results->item(0)).center();
        QHelpEvent hover(QEvent::ToolTip, over, w.results->viewport()->mapToGlobal(over));
        QApplication::sendEvent(w.results->viewport(), &hover);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains("Dumper"));
        QVERIFY(QToolTip::text().contains(program));
        // The Type list and the Group strip stay where they were.
        QCOMPARE(w.types->currentRow(), 0);
        QCOMPARE(w.groups->currentRow(), 0);

        for (int i = 0; i < 4; ++i)
            press(Qt::Key_Backspace);
        QVERIFY(!w.field->isVisible());
        QVERIFY(w.grid->isVisible());
        QCOMPARE(QApplication::focusWidget(), w.grid);
        QCOMPARE(w.grid->count(), 60);
        QCOMPARE(w.grid->currentRow(), 45);
        QCOMPARE(w.grid->verticalScrollBar()->value(), scrolled);

        // Esc clears a search first, and only then hides.
        type("al");
        QCOMPARE(texts(w.results), QStringList{"alpha"});
        press(Qt::Key_Escape);
        QVERIFY(w.form->isVisible());
        QVERIFY(!w.field->isVisible());
        QCOMPARE(w.field->text(), QString());
        press(Qt::Key_Escape);
        QVERIFY(w.form->isHidden());
    }

    void enterLaunchesTheResultAndShowingStartsAfresh() {
        Window w(catalogText());
        QVERIFY(w.active);
        type("dump");
        press(Qt::Key_Return);
        QTRY_COMPARE(dumped(), (QStringList{targets.filePath("bin"), "[x]", "[y]"}));
        // The launch is counted, in a file of its own, shortly afterwards.
        QTRY_VERIFY(DataFolder::readFile(w.shown.data.dataPath() + "/Usage").contains(program.toUtf8()));
        QCOMPARE(w.shown.data.readCatalog(), catalogText());

        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(targets.filePath("bin"))});

        // "运行后，隐藏窗口": Enter hides as a double-click does; the next
        // show has an empty search and the focus where typing searches.
        formOpenThenHide = true;
        press(Qt::Key_Return);
        QVERIFY(w.form->isHidden());
        QTRY_VERIFY(w.form->findChild<QSystemTrayIcon*>()); // set up after the first frame
        emit w.form->findChild<QSystemTrayIcon*>()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(QTest::qWaitForWindowExposed(w.form));
        QVERIFY(!w.field->isVisible());
        QCOMPARE(w.field->text(), QString());
        QVERIFY(w.grid->isVisible());
        // Which window has the keyboard is the window manager's say; within
        // this one it is the grid.
        QCOMPARE(w.form->focusWidget(), w.grid);
        QCOMPARE(w.grid->currentRow(), -1);
    }

    void commandsOnAResultActOnItsOwnItem() {
        Window w(catalogText());
        QVERIFY(w.active);
        ModalAnswerer answers;
        answers.press("Yes");
        type("dump");
        press(Qt::Key_Delete);
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("确定要删除这个项目嘛"));
        QVERIFY(w.refocus());
        // The results were found again; the current Group lost nothing.
        QCOMPARE(w.results->count(), 0);
        QCOMPARE(w.grid->count(), 60);
        QCOMPARE(w.grid->item(1)->text(), QStringLiteral("item01"));
        press(Qt::Key_Escape);
        w.types->setCurrentRow(1);
        QCOMPARE(texts(w.grid), QStringList{"zeta"});

        // F2 on a result renames that Item, in its own Group.
        answers.handle(ModalAnswerer::typeText("omega"));
        type("zet");
        press(Qt::Key_F2);
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(w.results->count(), 0);
        QVERIFY(w.refocus());
        press(Qt::Key_Escape);
        QCOMPARE(texts(w.grid), QStringList{"omega"});
        QCOMPARE(answers.unexpected(), 0);
    }

    void arrowsMenuKeysTabAndGroupSwitching() {
        Window w(catalogText());
        QVERIFY(w.active);
        QCOMPARE(w.grid->currentRow(), -1);
        press(Qt::Key_Down);
        QCOMPARE(w.grid->currentRow(), 0);
        QVERIFY(w.grid->item(0)->isSelected());
        press(Qt::Key_Right);
        QCOMPARE(w.grid->currentRow(), 1);
        QVERIFY(w.grid->item(1)->isSelected());

        // The menu key and Shift+F10 open the selected Item's menu at the
        // Item, wherever the pointer is.
        QCursor::setPos(w.form->mapToGlobal(QPoint(w.form->width() - 5, w.form->height() - 5)));
        const QPoint itemCentre =
            w.grid->viewport()->mapToGlobal(w.grid->visualItemRect(w.grid->item(1)).center());
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}}) {
            QPoint shownAt;
            QStringList entries;
            QTimer::singleShot(100, [&] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    shownAt = menu->pos();
                    for (QAction* action : menu->actions())
                        entries << action->text();
                    menu->close();
                }
            });
            press(key, modifiers);
            QCOMPARE(shownAt, itemCentre);
            QCOMPARE(entries.first(), QStringLiteral("打开"));
        }

        // Tab: Type list, Group strip, grid, round again; Shift+Tab back.
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.types);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.groups);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.grid);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), w.groups);

        // Ctrl+Tab and Ctrl+Shift+Tab step through the Groups, round.
        press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(w.groups->currentRow(), 1);
        QCOMPARE(texts(w.grid), QStringList{"alpha"});
        press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(w.groups->currentRow(), 2);
        // An empty Group says how to fill it, painted, not as an entry.
        QCOMPARE(w.grid->count(), 0);
        QVERIFY(hasInk(w.grid->viewport()->grab().toImage()));
        w.groups->setCurrentRow(1);
        QVERIFY(!hasInk(w.grid->viewport()->grab().toImage().copy(0, 80, 400, 200)));
        w.groups->setCurrentRow(2);
        press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(w.groups->currentRow(), 0);
        press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w.groups->currentRow(), 2);

        // While typing, the arrows move the selection among the results.
        type("item0");
        QCOMPARE(w.results->count(), 10);
        QCOMPARE(QApplication::focusWidget(), w.field);
        press(Qt::Key_Right);
        QCOMPARE(w.results->currentRow(), 1);
        QCOMPARE(w.field->text(), QStringLiteral("item0"));
    }

    void pasteSearchesForTheClipboardsFirstLine() {
        Window w(catalogText());
        QVERIFY(w.active);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(" \t\n \n");
        press(Qt::Key_V, Qt::ControlModifier);
        QVERIFY(!w.field->isVisible());
        QCOMPARE(QApplication::focusWidget(), w.grid);

        // Copied from a longer text: its first line, without the blanks.
        clipboard->setText("\n  zeta \r\nsecond line\n");
        press(Qt::Key_V, Qt::ControlModifier);
        QVERIFY(w.field->isVisible());
        QCOMPARE(w.field->text(), QStringLiteral("zeta"));
        QCOMPARE(texts(w.results), QStringList{"zeta"});
        QCOMPARE(QApplication::focusWidget(), w.field);

        // In the field a paste replaces the selection, as the field's own
        // does, but a line edit would keep the line breaks; a blank
        // clipboard leaves the query alone.
        press(Qt::Key_A, Qt::ControlModifier);
        clipboard->setText("\n");
        press(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.field->text(), QStringLiteral("zeta"));
        clipboard->setText("dump\nmore");
        press(Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w.field->text(), QStringLiteral("dump"));
        QCOMPARE(texts(w.results), QStringList{"Dumper"});

        // On the results it goes on the query, as typing does.
        press(Qt::Key_Escape);
        type("item0");
        QTest::mouseClick(w.results->viewport(), Qt::LeftButton, {},
                          w.results->visualItemRect(w.results->item(0)).center());
        QCOMPARE(QApplication::focusWidget(), w.results);
        clipboard->setText("5");
        press(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.field->text(), QStringLiteral("item05"));
        QCOMPARE(texts(w.results), QStringList{"item05"});
        QCOMPARE(QApplication::focusWidget(), w.field);

        // The Type list starts a search as the grid does.
        press(Qt::Key_Escape);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.types);
        clipboard->setText(" alpha");
        press(Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w.field->text(), QStringLiteral("alpha"));
        QCOMPARE(texts(w.results), QStringList{"alpha"});
        QCOMPARE(w.types->currentRow(), 0);
    }

    void tabWhileSearchingGoesBetweenFieldAndResults() {
        Window w(catalogText());
        QVERIFY(w.active);
        type("item0");
        QCOMPARE(w.results->count(), 10);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.results);
        press(Qt::Key_Right);
        QCOMPARE(w.results->currentRow(), 1);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.field);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), w.results);
        press(Qt::Key_Down);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), w.field);
        QVERIFY(w.field->isVisible());
        QCOMPARE(w.field->text(), QStringLiteral("item0"));
        QCOMPARE(w.results->count(), 10);
        // Back in the field, the query goes on where it was: a field that
        // came back all selected would lose it to the next key.
        type("5");
        QCOMPARE(w.field->text(), QStringLiteral("item05"));
        press(Qt::Key_Tab);
        press(Qt::Key_Backspace);
        QCOMPARE(w.field->text(), QStringLiteral("item0"));
    }

    void ctrlQQuitsWhereverTheFocusIs() {
        Window w(catalogText());
        QVERIFY(w.active);
        // Nothing can be written: each Ctrl+Q asks whether to quit all the
        // same, as "退出" does, and "No" keeps Tarn running.
        FullDiskSeam full(0);
        ModalAnswerer answers;
        auto quitFrom = [&](QWidget* place) {
            QCOMPARE(QApplication::focusWidget(), place);
            const int before = answers.boxes().size();
            answers.press("No");
            press(Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(answers.boxes().size(), before + 1);
            QVERIFY(answers.boxes().last().text.contains(QStringLiteral("仍然退出吗？")));
            QVERIFY(w.refocus());
        };
        for (QListWidget* list : {w.types, w.groups, w.grid}) {
            list->setFocus(Qt::OtherFocusReason);
            quitFrom(list);
        }
        type("item0");
        quitFrom(w.field);
        QCOMPARE(w.field->text(), QStringLiteral("item0"));
        press(Qt::Key_Tab);
        quitFrom(w.results);
        QVERIFY(w.form->isVisible());
        QCOMPARE(answers.unexpected(), 0);
    }

    void aRenameKeepsTheScrollPosition() {
        Window w(catalogText());
        QVERIFY(w.active);
        ModalAnswerer answers;
        answers.handle(ModalAnswerer::typeText("renamed"));
        w.grid->setCurrentRow(55);
        w.grid->scrollToItem(w.grid->item(55));
        const int scrolled = w.grid->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        press(Qt::Key_F2);
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(w.grid->item(55)->text(), QStringLiteral("renamed"));
        QCOMPARE(w.grid->verticalScrollBar()->value(), scrolled);
        QCOMPARE(w.grid->currentRow(), -1);
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"

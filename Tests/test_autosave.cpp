// SPDX-License-Identifier: GPL-3.0-or-later
// What the window makes of the catalog document's writes and reloads:
// failures said without nagging, the lists following a change made by
// others, and their version kept before Tarn's edits are written.
#include "mainform/mainform.h"

#include "catalog/catalogstore.h"
#include "support/datafolder.h"
#include "support/jsontext.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QtTest>

namespace {

const QByteArray kOneType = json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}");
const QByteArray kTwoTypes = json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]},"
                                  "{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}");

// Puts a folder where the catalog file is: no write can succeed.
bool block(const DataFolder& data) {
    return QFile::remove(data.catalogPath()) && QDir(data.dataPath()).mkdir(QStringLiteral("Data"));
}

} // namespace

class TestAutosave : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installModalWatchdog(); }

    void aFailingWriteIsToldOncePerStreak() {
        MainFormFixture shown;
        QVERIFY(shown.show(kOneType));
        DataFolder& data = shown.data;
        MainForm& form = shown.form();
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        QVERIFY(block(data));
        QVERIFY(shown.triggerAction("actTypeAdd"));
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QVERIFY(answers.boxes()[0].text.startsWith(QStringLiteral("配置文件保存失败：")));
        // Still failing: neither the next edit nor the close says it again.
        QVERIFY(shown.triggerAction("actTypeAdd"));
        form.close();
        QCOMPARE(answers.boxes().size(), 1);

        // A write that works ends the streak; the next failure is told.
        QVERIFY(QDir(data.catalogPath()).removeRecursively());
        QVERIFY(shown.triggerAction("actTypeAdd"));
        QTRY_VERIFY_WITH_TIMEOUT(data.readCatalog().count(QByteArray("默认分组")) == 4, 5000);
        QVERIFY(block(data));
        answers.press(QStringLiteral("OK"));
        QVERIFY(shown.triggerAction("actTypeAdd"));
        QVERIFY(answers.waitFor(2));
        QCOMPARE(answers.unexpected(), 0);
    }

    void editsThatCannotBeWrittenAreSaidOncePerRun() {
        MainFormFixture shown;
        DataFolder& data = shown.data;
        // A dangling link: the catalog file cannot be opened at start.
        QVERIFY(QFile::link(data.root() + QStringLiteral("/gone/Data"), data.catalogPath()));
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK")).press(QStringLiteral("OK"));
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        QCOMPARE(answers.boxes().size(), 1); // the warning at start
        // Nothing edited yet: nothing is lost on the way out.
        QVERIFY(form.saveState());

        QVERIFY(shown.triggerAction("actTypeAdd"));
        QVERIFY(answers.waitFor(2));
        QCOMPARE(answers.boxes()[1].title, QStringLiteral("警告"));
        QVERIFY(answers.boxes()[1].text.contains(QStringLiteral("无法写入")));
        QVERIFY(answers.boxes()[1].text.contains(QDir::toNativeSeparators(data.catalogPath())));
        QVERIFY(shown.triggerAction("actTypeAdd"));
        form.close();
        // The way out does not claim the edits were kept.
        QString error;
        QVERIFY(!form.saveState(&error));
        QVERIFY(error.contains(QDir::toNativeSeparators(data.catalogPath())));
        QCOMPARE(answers.boxes().size(), 2);
    }

    void aChangeFromElsewhereIsFollowedWhileIdle() {
        MainFormFixture shown;
        QVERIFY(
            shown.show(json("{'type':[{'name':'A','group':[{'name':'a1','item':[]},{'name':'a2','item':[]}]},"
                            "{'name':'B','group':[{'name':'b1','item':[]},{'name':'b2','item':[]}]}]}")));
        DataFolder& data = shown.data;
        MainForm& form = shown.form();
        ModalAnswerer answers;
        shown.typeList()->setCurrentRow(1);
        shown.groupList()->setCurrentRow(1);

        // Rewritten in place...
        data.writeCatalog(json("{'type':[{'name':'A'},{'name':'C','group':[{'name':'c1','item':[]},"
                               "{'name':'c2','item':[]}]},{'name':'D'}]}"));
        QTRY_COMPARE(texts(shown.typeList()),
                     (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D")}));
        QCOMPARE(shown.typeList()->currentRow(), 1);
        QCOMPARE(texts(shown.groupList()), (QStringList{QStringLiteral("c1"), QStringLiteral("c2")}));
        QCOMPARE(shown.groupList()->currentRow(), 1);

        // ... then replaced whole, as editors and Tarn itself do.
        QVERIFY(catalogstore::writeAtomically(data.catalogPath(), json("{'type':[{'name':'E'}]}")));
        QTRY_COMPARE(texts(shown.typeList()), QStringList{QStringLiteral("E")});
        QCOMPARE(shown.typeList()->currentRow(), 0);
        QVERIFY(catalogstore::writeAtomically(data.catalogPath(), json("{'type':[{'name':'F'}]}")));
        QTRY_COMPARE(texts(shown.typeList()), QStringList{QStringLiteral("F")});

        // A file that is not whole is not followed, and a close without
        // edits leaves it as it is.
        data.writeCatalog("{broken");
        QTest::qWait(500);
        QCOMPARE(texts(shown.typeList()), QStringList{QStringLiteral("F")});
        form.close();
        QCOMPARE(data.readCatalog(), QByteArray("{broken"));
        QVERIFY(!QFile::exists(data.catalogPath() + QStringLiteral(".bak")));
        QCOMPARE(answers.boxes().size(), 0);
    }

    // Search results are places in the Catalog: once the file is read again,
    // they are looked up in what was read.
    void theSearchFollowsAChangeFromElsewhere() {
        MainFormFixture shown;
        QVERIFY(shown.show(json("{'type':[{'name':'T','group':[{'name':'G','item':["
                                "{'name':'alpha','type':2,'param':'','path':'a.org'},"
                                "{'name':'beta','type':2,'param':'','path':'b.org'}]}]}]}")));
        auto* results = shown.form().findChild<QListWidget*>(QStringLiteral("listWidget_result"));
        const auto search = [&](const QString& text) {
            QTest::keyClicks(shown.itemList(), text);
            const QStringList found = texts(results);
            QTest::keyClick(shown.form().focusWidget(), Qt::Key_Escape);
            return found;
        };
        QCOMPARE(search(QStringLiteral("alpha")), QStringList{QStringLiteral("alpha")});

        QVERIFY(catalogstore::writeAtomically(
            shown.data.catalogPath(), json("{'type':[{'name':'T','group':[{'name':'G','item':["
                                           "{'name':'omega','type':2,'param':'','path':'o.org'},"
                                           "{'name':'alpha','type':2,'param':'','path':'a.org'}]}]}]}")));
        QTRY_COMPARE(texts(shown.itemList()),
                     (QStringList{QStringLiteral("omega"), QStringLiteral("alpha")}));
        QCOMPARE(search(QStringLiteral("alpha")), QStringList{QStringLiteral("alpha")});
        QCOMPARE(search(QStringLiteral("omega")), QStringList{QStringLiteral("omega")});
    }

    void aChangeFromElsewhereIsKeptBeforeEditsAreWritten() {
        MainFormFixture shown;
        QVERIFY(shown.show(kOneType));
        DataFolder& data = shown.data;
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        QVERIFY(shown.triggerAction("actTypeAdd"));
        const QByteArray theirs = json("{'type':[{'name':'theirs'}]}");
        data.writeCatalog(theirs);
        QTRY_COMPARE_WITH_TIMEOUT(data.readCatalog(), kTwoTypes, 5000);
        const QString copy = data.catalogPath() + QStringLiteral(".bak");
        QCOMPARE(DataFolder::readFile(copy), theirs);
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        QVERIFY(answers.boxes()[0].text.contains(QDir::toNativeSeparators(copy)));
        // Tarn still shows its own edits.
        QCOMPARE(shown.typeList()->count(), 2);
    }
};

QTEST_MAIN(TestAutosave)
#include "test_autosave.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog file follows the Catalog: written a moment after each edit,
// failures said without nagging, and changes made by others neither lost
// nor clobbered.
#include "mainform/mainform.h"

#include "catalog/catalogstore.h"
#include "support/datafolder.h"
#include "support/jsontext.h"
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

bool addType(MainForm& form) {
    return QMetaObject::invokeMethod(&form, "jsonTypeItmeAdd");
}

QListWidget* list(MainForm& form, const char* name) {
    return form.findChild<QListWidget*>(QString::fromLatin1(name));
}

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Puts a folder where the catalog file is: no write can succeed.
bool block(const DataFolder& data) {
    return QFile::remove(data.catalogPath()) && QDir(data.dataPath()).mkdir(QStringLiteral("Data"));
}

} // namespace

class TestAutosave : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installModalWatchdog(); }

    void anEditIsWrittenAMomentLater() {
        DataFolder data;
        data.writeCatalog(kOneType);
        MainForm form;
        QVERIFY(addType(form));
        // Not at once: a burst of edits makes one write.
        QCOMPARE(data.readCatalog(), kOneType);
        QTRY_COMPARE_WITH_TIMEOUT(data.readCatalog(), kTwoTypes, 5000);
        // Tarn's own write is not taken for someone else's: no copy, no box.
        ModalAnswerer answers;
        QVERIFY(addType(form));
        QTRY_VERIFY_WITH_TIMEOUT(data.readCatalog() != kTwoTypes, 5000);
        QVERIFY(addType(form));
        QTRY_VERIFY_WITH_TIMEOUT(data.readCatalog().count(QByteArray("默认分组")) == 4, 5000);
        QVERIFY(!QFile::exists(data.catalogPath() + QStringLiteral(".bak")));
        QCOMPARE(answers.boxes().size(), 0);
    }

    void aFailingWriteIsToldOncePerStreak() {
        DataFolder data;
        data.writeCatalog(kOneType);
        MainForm form;
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        QVERIFY(block(data));
        QVERIFY(addType(form));
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("警告"));
        QVERIFY(answers.boxes()[0].text.startsWith(QStringLiteral("配置文件保存失败：")));
        // Still failing: neither the next edit nor the close says it again.
        QVERIFY(addType(form));
        form.close();
        QCOMPARE(answers.boxes().size(), 1);

        // A write that works ends the streak; the next failure is told.
        QVERIFY(QDir(data.catalogPath()).removeRecursively());
        QVERIFY(addType(form));
        QTRY_VERIFY_WITH_TIMEOUT(data.readCatalog().count(QByteArray("默认分组")) == 4, 5000);
        QVERIFY(block(data));
        answers.press(QStringLiteral("OK"));
        QVERIFY(addType(form));
        QVERIFY(answers.waitFor(2));
        QCOMPARE(answers.unexpected(), 0);
    }

    void editsThatCannotBeWrittenAreSaidOncePerRun() {
        DataFolder data;
        // A dangling link: the catalog file cannot be opened at start.
        QVERIFY(QFile::link(data.root() + QStringLiteral("/gone/Data"), data.catalogPath()));
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK")).press(QStringLiteral("OK"));
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1); // the warning at start
        // Nothing edited yet: nothing is lost on the way out.
        QVERIFY(form.saveState());

        QVERIFY(addType(form));
        QVERIFY(answers.waitFor(2));
        QCOMPARE(answers.boxes()[1].title, QStringLiteral("警告"));
        QVERIFY(answers.boxes()[1].text.contains(QStringLiteral("无法写入")));
        QVERIFY(answers.boxes()[1].text.contains(QDir::toNativeSeparators(data.catalogPath())));
        QVERIFY(addType(form));
        form.close();
        // The way out does not claim the edits were kept.
        QString error;
        QVERIFY(!form.saveState(&error));
        QVERIFY(error.contains(QDir::toNativeSeparators(data.catalogPath())));
        QCOMPARE(answers.boxes().size(), 2);
    }

    void aChangeFromElsewhereIsFollowedWhileIdle() {
        DataFolder data;
        data.writeCatalog(
            json("{'type':[{'name':'A','group':[{'name':'a1','item':[]},{'name':'a2','item':[]}]},"
                 "{'name':'B','group':[{'name':'b1','item':[]},{'name':'b2','item':[]}]}]}"));
        MainForm form;
        ModalAnswerer answers;
        list(form, "listWidget_type")->setCurrentRow(1);
        list(form, "listWidget_group")->setCurrentRow(1);

        // Rewritten in place...
        data.writeCatalog(json("{'type':[{'name':'A'},{'name':'C','group':[{'name':'c1','item':[]},"
                               "{'name':'c2','item':[]}]},{'name':'D'}]}"));
        QTRY_COMPARE(texts(list(form, "listWidget_type")),
                     (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D")}));
        QCOMPARE(list(form, "listWidget_type")->currentRow(), 1);
        QCOMPARE(texts(list(form, "listWidget_group")),
                 (QStringList{QStringLiteral("c1"), QStringLiteral("c2")}));
        QCOMPARE(list(form, "listWidget_group")->currentRow(), 1);

        // ... then replaced whole, as editors and Tarn itself do.
        QVERIFY(catalogstore::writeAtomically(data.catalogPath(), json("{'type':[{'name':'E'}]}")));
        QTRY_COMPARE(texts(list(form, "listWidget_type")), QStringList{QStringLiteral("E")});
        QCOMPARE(list(form, "listWidget_type")->currentRow(), 0);
        QVERIFY(catalogstore::writeAtomically(data.catalogPath(), json("{'type':[{'name':'F'}]}")));
        QTRY_COMPARE(texts(list(form, "listWidget_type")), QStringList{QStringLiteral("F")});

        // A file that is not whole is not followed, and kept at the next write.
        data.writeCatalog("{broken");
        QTest::qWait(500);
        QCOMPARE(texts(list(form, "listWidget_type")), QStringList{QStringLiteral("F")});
        answers.press(QStringLiteral("OK"));
        form.close();
        QCOMPARE(DataFolder::readFile(data.catalogPath() + QStringLiteral(".bak")), QByteArray("{broken"));
        QCOMPARE(data.readCatalog(), json("{'type':[{'name':'F'}]}"));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
    }

    void aChangeFromElsewhereIsKeptBeforeEditsAreWritten() {
        DataFolder data;
        data.writeCatalog(kOneType);
        MainForm form;
        ModalAnswerer answers;
        answers.press(QStringLiteral("OK"));
        QVERIFY(addType(form));
        const QByteArray theirs = json("{'type':[{'name':'theirs'}]}");
        data.writeCatalog(theirs);
        QTRY_COMPARE_WITH_TIMEOUT(data.readCatalog(), kTwoTypes, 5000);
        const QString copy = data.catalogPath() + QStringLiteral(".bak");
        QCOMPARE(DataFolder::readFile(copy), theirs);
        QVERIFY(answers.waitFor(1));
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        QVERIFY(answers.boxes()[0].text.contains(QDir::toNativeSeparators(copy)));
        // Tarn still shows its own edits.
        QCOMPARE(list(form, "listWidget_type")->count(), 2);
    }
};

QTEST_MAIN(TestAutosave)
#include "test_autosave.moc"

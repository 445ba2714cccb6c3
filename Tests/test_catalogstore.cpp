// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogstore.h"

#include "support/datafolder.h"

#include <QtTest>

using catalog::Document;

class TestCatalogStore : public QObject {
    Q_OBJECT

private slots:
    void missingFileIsCreatedEmpty() {
        DataFolder data;
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(!result.openFailed);
        QVERIFY(!result.keepFileAsIs);
        QVERIFY(result.backupPath.isEmpty());
        QVERIFY(doc.IsNull());
        QVERIFY(QFileInfo::exists(data.catalogPath()));
        QCOMPARE(QFileInfo(data.catalogPath()).size(), 0);
    }

    void missingFolderFailsToOpenButMayBeWrittenLater() {
        DataFolder data(false);
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(result.openFailed);
        QVERIFY(!result.keepFileAsIs);
        QVERIFY(!QFileInfo::exists(data.dataPath()));
        doc.SetObject();
        QString error;
        QVERIFY(!catalogstore::save(data.catalogPath(), doc, &error));
        QVERIFY(!error.isEmpty());
    }

    void soundFileLoadsWithoutCopy() {
        DataFolder data;
        data.writeCatalog(R"({"type":[]})");
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(!result.openFailed && !result.keepFileAsIs && result.backupPath.isEmpty());
        QCOMPARE(catalog::serialize(doc), QByteArray(R"({"type":[]})"));
        QCOMPARE(QDir(data.dataPath()).entryList(QDir::Files), QStringList{QStringLiteral("Data")});
    }

    void textNotShownWholeIsCopiedFirst_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("parses");
        QTest::newRow("syntax error") << QByteArray(R"({"type":[{"name":"A",}]})") << false;
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF{\"type\":[]}") << false;
        QTest::newRow("NUL inside a name") << QByteArray("{\"type\":[{\"name\":\"a\0b\"}]}", 23) << false;
        QTest::newRow("text behind a NUL") << QByteArray("{\"type\":[]}\0{\"more\":1}", 22) << true;
        QTest::newRow("needs repair") << QByteArray(R"({"type":[{"name":1}]})") << true;
        QTest::newRow("root not an object") << QByteArray("[1]") << true;
    }
    void textNotShownWholeIsCopiedFirst() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, parses);
        DataFolder data;
        data.writeCatalog(bytes);
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(!result.openFailed && !result.keepFileAsIs);
        QCOMPARE(doc.IsNull(), !parses);
        QCOMPARE(result.backupPath, QDir(data.dataPath()).absoluteFilePath(QStringLiteral("Data.bak")));
        QCOMPARE(DataFolder::readFile(result.backupPath), bytes);
        QCOMPARE(data.readCatalog(), bytes);
    }

    void copiesAreNeverOverwritten() {
        DataFolder data;
        data.writeCatalog("broken 1");
        Document doc;
        QVERIFY(catalogstore::load(data.catalogPath(), doc).backupPath.endsWith(QStringLiteral("/Data.bak")));
        // The same text again reuses its copy; other text gets a new one.
        QVERIFY(catalogstore::load(data.catalogPath(), doc).backupPath.endsWith(QStringLiteral("/Data.bak")));
        data.writeCatalog("broken 2");
        QVERIFY(
            catalogstore::load(data.catalogPath(), doc).backupPath.endsWith(QStringLiteral("/Data-2.bak")));
        QCOMPARE(DataFolder::readFile(data.dataPath() + QStringLiteral("/Data.bak")), QByteArray("broken 1"));
        QCOMPARE(DataFolder::readFile(data.dataPath() + QStringLiteral("/Data-2.bak")),
                 QByteArray("broken 2"));
    }

    void emptyFileIsAFirstRun() {
        DataFolder data;
        data.writeCatalog("");
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(result.backupPath.isEmpty() && !result.keepFileAsIs);
        QVERIFY(doc.IsNull());
    }

    void readOnlyFileIsShownAndKept() {
        DataFolder data;
        data.writeCatalog(R"({"type":[{"name":"只读"}]})");
        QFile::setPermissions(data.catalogPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(result.openFailed);
        QVERIFY(result.keepFileAsIs);
        QCOMPARE(catalog::memberText(*catalog::typeAt(doc, 0), "name"), QStringLiteral("只读"));
    }

    void unreadableBrokenReadOnlyFileGetsNoCopy() {
        // Nothing will write over it, so there is nothing to protect.
        DataFolder data;
        data.writeCatalog("{broken");
        QFile::setPermissions(data.catalogPath(), QFile::ReadOwner);
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(result.keepFileAsIs);
        QVERIFY(result.backupPath.isEmpty());
        QVERIFY(doc.IsNull());
    }

    void saveReplacesWholeAndLeavesNothingBehind() {
        DataFolder data;
        data.writeCatalog(QByteArray(100000, 'x'));
        Document doc;
        QVERIFY(catalog::parse(doc, R"({"type":[]})"));
        QVERIFY(catalogstore::save(data.catalogPath(), doc));
        QCOMPARE(data.readCatalog(), QByteArray(R"({"type":[]})"));
        QCOMPARE(QDir(data.dataPath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Data")});
    }

    void failedSaveIsReportedAndDestroysNothing() {
        // A folder where the file should be: the rename cannot replace it.
        DataFolder data;
        QDir(data.dataPath()).mkdir(QStringLiteral("Blocked"));
        DataFolder::writeFile(data.dataPath() + QStringLiteral("/Blocked/keep"), "kept");
        Document doc;
        doc.SetObject();
        QString error;
        QVERIFY(!catalogstore::save(data.dataPath() + QStringLiteral("/Blocked"), doc, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(DataFolder::readFile(data.dataPath() + QStringLiteral("/Blocked/keep")), QByteArray("kept"));
        QCOMPARE(QDir(data.dataPath()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestCatalogStore)
#include "test_catalogstore.moc"

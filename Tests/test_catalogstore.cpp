// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogstore.h"
#include "catalog/catalogsync.h"

#include "support/datafolder.h"
#include "support/diskfaults.h"

#include <QtTest>

#include <future>

#include <fcntl.h>
#include <sys/stat.h>

using catalog::Document;

namespace {

// A catalog of about 9 KB: well below the size up to which a buffered
// writer only reaches the disk at its final flush.
QByteArray smallCatalog(const char* name) {
    QByteArray items;
    for (int i = 0; i < 60; ++i)
        items += QByteArray(i ? "," : "") + R"({"name":")" + name +
                 R"(","type":0,"param":"","path":"/usr/share/doc/x)" + QByteArray::number(i) +
                 R"(","customIcon":""})";
    return R"({"type":[{"name":"T","group":[{"name":"G","item":[)" + items + "]}]}]}";
}

Document parsed(const QByteArray& text) {
    Document doc;
    catalog::parse(doc, text.constData());
    return doc;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

mode_t modeOf(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

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
        QTest::newRow("kind beyond 32 bits")
            << QByteArray(R"({"type":[{"name":"T","group":[{"name":"G","item":[)"
                          R"({"name":"n","type":4294967296,"param":"","path":""}]}]}]})")
            << true;
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

    void fullDiskLeavesEveryFileAsItWas() {
        // A write that fills the disk part-way, then fails: on a real full
        // disk where the test may mount one, else through the write seam.
        DataFolder data;
        const QByteArray old = smallCatalog("old");
        data.writeCatalog(old);
        SmallTmpfs disk(data.dataPath(), 64);
        std::unique_ptr<FullDiskSeam> seam;
        if (disk.mounted) {
            data.writeCatalog(old);
            disk.fill(4096);
        } else {
            seam = std::make_unique<FullDiskSeam>(4096);
        }
        const QStringList before = filesIn(data.dataPath());

        QString error;
        QVERIFY(!catalogstore::save(data.catalogPath(), parsed(smallCatalog("new")), &error));
        QCOMPARE(error, QStringLiteral("磁盘已满（%1）").arg(QDir::toNativeSeparators(data.catalogPath())));
        QCOMPARE(data.readCatalog(), old);
        QCOMPARE(filesIn(data.dataPath()), before);

        // The copy of a file that cannot be shown whole is not cut either:
        // no copy, so the file is kept as found.
        data.writeCatalog(old.left(old.size() - 1));
        Document doc;
        const auto result = catalogstore::load(data.catalogPath(), doc);
        QVERIFY(result.backupFailed && result.keepFileAsIs && result.backupPath.isEmpty());
        QCOMPARE(filesIn(data.dataPath()), before);
    }

    void failedStepsAbortTheReplace() {
        DataFolder data;
        const QByteArray old = smallCatalog("old");
        data.writeCatalog(old);
        const Document doc = parsed(smallCatalog("new"));
        QString error;
        {
            // Under 16 KiB, and still past what the file may hold.
            FileSizeLimit limit(4096);
            QVERIFY(!catalogstore::save(data.catalogPath(), doc, &error));
        }
        QVERIFY2(error.startsWith(QStringLiteral("文件超过了系统允许的大小")), qPrintable(error));
        QCOMPARE(data.readCatalog(), old);
        {
            const auto saved = safefile::calls::sync;
            safefile::calls::sync = [](int) {
                errno = EIO;
                return -1;
            };
            const bool written = catalogstore::save(data.catalogPath(), doc, &error);
            safefile::calls::sync = saved;
            QVERIFY(!written);
        }
        QVERIFY(error.startsWith(QStringLiteral("磁盘读写出错")));
        QCOMPARE(data.readCatalog(), old);
        QCOMPARE(filesIn(data.dataPath()), QStringList{"Data"});
    }

    void aFailedCloseAbortsTheReplace() {
        DataFolder data;
        const QByteArray old = smallCatalog("old");
        data.writeCatalog(old);
        QString error;
        {
            FailedCloseSeam seam(EIO);
            QVERIFY(!catalogstore::save(data.catalogPath(), parsed(smallCatalog("new")), &error));
        }
        QCOMPARE(error,
                 QStringLiteral("磁盘读写出错（%1）").arg(QDir::toNativeSeparators(data.catalogPath())));
        QCOMPARE(data.readCatalog(), old);
        QCOMPARE(filesIn(data.dataPath()), QStringList{"Data"});
    }

    void readOnlyIsCheckedAtEveryWrite() {
        DataFolder data;
        data.writeCatalog(R"({"type":[]})");
        Document doc;
        QVERIFY(!catalogstore::load(data.catalogPath(), doc).keepFileAsIs);
        for (mode_t mode : {0444, 0000}) {
            ::chmod(QFile::encodeName(data.catalogPath()).constData(), mode);
            QString error;
            QVERIFY(!catalogstore::save(data.catalogPath(), parsed(R"({"type":[1]})"), &error));
            QVERIFY(error.startsWith(QStringLiteral("文件已设为只读")));
            QCOMPARE(modeOf(data.catalogPath()) & 07777, mode);
            ::chmod(QFile::encodeName(data.catalogPath()).constData(), 0600);
            QCOMPARE(data.readCatalog(), QByteArray(R"({"type":[]})"));
        }
    }

    void aReplacedFileKeepsModeOwnerAndLink() {
        DataFolder data;
        const QString real = data.dataPath() + "/real";
        DataFolder::writeFile(real, "{}");
        QVERIFY(QFile::link("real", data.catalogPath()));
        const QByteArray native = QFile::encodeName(real);
        ::chmod(native.constData(), 0640);
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(native.constData(), 1234, 4321), 0);
        QVERIFY(catalogstore::save(data.catalogPath(), parsed(R"({"type":[]})")));
        QVERIFY(QFileInfo(data.catalogPath()).isSymLink());
        QCOMPARE(DataFolder::readFile(real), QByteArray(R"({"type":[]})"));
        QCOMPARE(modeOf(real) & 07777, mode_t(0640));
        if (root) {
            struct stat st;
            QCOMPARE(::stat(native.constData(), &st), 0);
            QCOMPARE(st.st_uid, uid_t(1234));
            QCOMPARE(st.st_gid, gid_t(4321));
        }
    }

    void aReplacedFileKeepsBitsTheUmaskWouldClear_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("group-writable") << 0664;
        QTest::newRow("set-gid") << 02664;
    }
    void aReplacedFileKeepsBitsTheUmaskWouldClear() {
        // The temporary file is created under the umask: what it clears
        // must come back from the old file.
        QFETCH(int, mode);
        struct UmaskGuard {
            mode_t saved = ::umask(022);
            ~UmaskGuard() { ::umask(saved); }
        } guard;
        DataFolder data;
        data.writeCatalog("{}");
        QCOMPARE(::chmod(QFile::encodeName(data.catalogPath()).constData(), mode_t(mode)), 0);
        // The kernel drops set-gid for an owner outside the file's group.
        const mode_t before = modeOf(data.catalogPath()) & 07777;
        if (before != mode_t(mode))
            QSKIP("this user cannot give the file that mode");
        QVERIFY(catalogstore::save(data.catalogPath(), parsed(R"({"type":[]})")));
        QCOMPARE(data.readCatalog(), QByteArray(R"({"type":[]})"));
        QCOMPARE(QString::number(modeOf(data.catalogPath()) & 07777, 8), QString::number(before, 8));
    }

    void onlyRegularFilesAreOpened() {
        DataFolder data;
        QCOMPARE(::mkfifo(QFile::encodeName(data.catalogPath()).constData(), 0644), 0);
        Document doc;
        catalogstore::LoadResult result;
        {
            Deadline deadline(10, "loading a catalog that is a FIFO");
            result = catalogstore::load(data.catalogPath(), doc);
        }
        QVERIFY(result.openFailed && result.keepFileAsIs);
        QString error;
        QVERIFY(!catalogstore::save(data.catalogPath(), parsed("{}"), &error));
        QVERIFY(error.startsWith(QStringLiteral("不是普通文件")));
        QVERIFY(S_ISFIFO(modeOf(data.catalogPath())));
    }

    void stampsTellAnOutsideChange() {
        DataFolder data;
        data.writeCatalog(R"({"type":[]})");
        Document doc;
        const auto loaded = catalogstore::load(data.catalogPath(), doc).stamp;
        QVERIFY(loaded.exists);
        QCOMPARE(catalogstore::FileStamp::of(data.catalogPath()), loaded);
        catalogstore::FileStamp saved;
        QVERIFY(catalogstore::save(data.catalogPath(), parsed(R"({"type":[1]})"), nullptr, &saved));
        QCOMPARE(catalogstore::FileStamp::of(data.catalogPath()), saved);
        QVERIFY(saved.matches(data.catalogPath()) && !loaded.matches(data.catalogPath()));
        // Same size, same time: the bytes still tell.
        data.writeCatalog(R"({"type":[2]})");
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {time_t(saved.modified / 1000000000), long(saved.modified % 1000000000)}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(data.catalogPath()).constData(), times, 0), 0);
        QCOMPARE(catalogstore::FileStamp::of(data.catalogPath()).modified, saved.modified);
        QVERIFY(catalogstore::FileStamp::of(data.catalogPath()) != saved);
        QVERIFY(!saved.matches(data.catalogPath()));
        QVERIFY(!catalogstore::FileStamp::of(data.dataPath() + "/none").exists);
    }

    void aWriteOnAnotherThreadWritesItsSnapshotAndStaysTarnsOwn() {
        DataFolder data;
        data.writeCatalog(R"({"type":[]})");
        Document doc;
        CatalogSync sync;
        sync.follow(data.catalogPath(), catalogstore::load(data.catalogPath(), doc).stamp, false);
        Document edited = parsed(R"({"type":[1]})");
        const CatalogSync::Job job = sync.prepare(edited);
        // An edit after the snapshot is not part of this write.
        edited["type"].PushBack(2, edited.GetAllocator());
        const CatalogSync::Write done =
            std::async(std::launch::async, [job] { return CatalogSync::run(job); }).get();
        QVERIFY(done.written);
        QCOMPARE(data.readCatalog(), catalog::serialize(parsed(R"({"type":[1]})")));
        // Once taken, the write is Tarn's own: the next one keeps no copy of it.
        sync.take(done);
        const CatalogSync::Write next = sync.write(edited);
        QVERIFY(next.written && next.otherVersion.isEmpty());
        QCOMPARE(filesIn(data.dataPath()), QStringList{QStringLiteral("Data")});
        // A change made elsewhere after the snapshot is kept before it is replaced.
        const CatalogSync::Job late = sync.prepare(edited);
        data.writeCatalog(R"({"type":[9]})");
        const CatalogSync::Write kept = CatalogSync::run(late);
        QVERIFY(kept.written);
        QCOMPARE(DataFolder::readFile(kept.otherVersion), QByteArray(R"({"type":[9]})"));
    }

    void leftoversOfTheSaveAloneAreRemoved() {
        // The names a save really uses, caught as it syncs.
        static QStringList used;
        used.clear();
        const auto saved = safefile::calls::sync;
        safefile::calls::sync = [](int fd) {
            used << QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
            return ::fsync(fd);
        };
        DataFolder data;
        for (int i = 0; i < 2; ++i)
            QVERIFY(catalogstore::save(data.catalogPath(), parsed("{}")));
        safefile::calls::sync = saved;
        QCOMPARE(used.size(), 2);
        DataFolder::writeFile(used[0], "{\"type\":[{\"na");
        QCOMPARE(::mkfifo(QFile::encodeName(used[1]).constData(), 0644), 0);
        const QStringList others{"Config",   "Data.bak",    "Data-2.bak",
                                 "Data.txt", "Data.backup", "Data.Ab3dEx"};
        for (const QString& name : others)
            DataFolder::writeFile(data.dataPath() + "/" + name, "mine");

        QCOMPARE(catalogstore::removeLeftovers(data.catalogPath()), 1);
        QVERIFY(!QFileInfo::exists(used[0]));
        QStringList expected = others + QStringList{"Data", QFileInfo(used[1]).fileName()};
        QStringList actual = filesIn(data.dataPath());
        actual.sort();
        expected.sort();
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(TestCatalogStore)
#include "test_catalogstore.moc"

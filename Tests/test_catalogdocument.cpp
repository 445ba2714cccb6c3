// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog document without a window: edits written a moment later and
// in the background, failures and kept copies said once, and changes made
// elsewhere followed only when nothing of Tarn's would be lost.
#include "catalog/catalogdocument.h"
#include "catalog/catalogedit.h"

#include "support/datafolder.h"
#include "support/jsontext.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace {

const QByteArray kOneType = json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}");

// Adds a Type named `name`.
void addType(CatalogDocument& doc, const char* name) {
    auto edit = doc.edit();
    catalog::Value type = catalog::defaultType(edit.allocator());
    catalog::setName(type, QString::fromUtf8(name), edit.allocator());
    catalog::types(edit.doc())->PushBack(type, edit.allocator());
}

int typeCount(const QByteArray& text) {
    return text.count("\"group\"");
}

// Runs `hook` on the writing thread before every write to disk, so a test
// can act while Tarn's write is under way.
class BeforeEachWrite {
public:
    explicit BeforeEachWrite(std::function<void()> hook)
        : saved(safefile::calls::write), run(std::move(hook)) {
        instance = this;
        safefile::calls::write = &BeforeEachWrite::write;
    }
    ~BeforeEachWrite() {
        safefile::calls::write = saved;
        instance = nullptr;
    }

private:
    static ssize_t write(int fd, const void* bytes, size_t size) {
        instance->run();
        return instance->saved(fd, bytes, size);
    }
    static inline BeforeEachWrite* instance = nullptr;
    ssize_t (*saved)(int, const void*, size_t);
    std::function<void()> run;
};

// Holds every write to disk until released.
class WriteGate {
public:
    ~WriteGate() { release(); }
    void release() {
        const std::lock_guard<std::mutex> lock(mutex);
        open = true;
        opened.notify_all();
    }

private:
    void wait() {
        std::unique_lock<std::mutex> lock(mutex);
        opened.wait(lock, [this] { return open; });
    }
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    BeforeEachWrite seam{[this] { wait(); }};
};

// A document opened on the data folder's catalog, tracking edits, watching
// the file, writing 50 ms after the last edit.
struct Opened {
    explicit Opened(const QByteArray& text) {
        if (!text.isNull())
            data.writeCatalog(text);
        doc.open(data.catalogPath());
        doc.trackEdits();
        doc.watch();
        doc.setAutosaveDelay(50);
    }
    DataFolder data;
    CatalogDocument doc;
    QSignalSpy writes{&doc, &CatalogDocument::writeFinished};
    QSignalSpy reloads{&doc, &CatalogDocument::reloaded};
};

} // namespace

class TestCatalogDocument : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<CatalogDocument::Outcome>(); }

    void editsInABurstMakeOneWrite() {
        Opened opened(kOneType);
        QSignalSpy edits(&opened.doc, &CatalogDocument::edited);
        addType(opened.doc, "A");
        addType(opened.doc, "B");
        {
            auto cancelled = opened.doc.edit();
            cancelled.cancel();
        }
        QCOMPARE(edits.size(), 2);
        QVERIFY(opened.doc.hasUnwrittenEdits());
        QVERIFY(opened.writes.wait(5000));
        QCOMPARE(typeCount(opened.data.readCatalog()), 3);
        QCOMPARE(opened.writes.size(), 1);
        QCOMPARE(opened.writes[0][0].value<CatalogDocument::Outcome>(), CatalogDocument::Outcome::Written);
        QVERIFY(!opened.doc.hasUnwrittenEdits());
        // Its own write is no change from elsewhere.
        QTest::qWait(300);
        QCOMPARE(opened.reloads.size(), 0);
        QCOMPARE(opened.writes.size(), 1);
    }

    void anEditDuringTheBackgroundWriteIsWrittenToo() {
        Opened opened(kOneType);
        auto gate = std::make_unique<WriteGate>();
        addType(opened.doc, "A");
        QTRY_VERIFY(opened.doc.isWriting());
        addType(opened.doc, "B");
        // Its delay runs out while the first write still holds the file.
        QTest::qWait(200);
        gate->release();
        // No further edit, no save, no quit: the second write follows by itself.
        QTRY_COMPARE_WITH_TIMEOUT(typeCount(opened.data.readCatalog()), 3, 5000);
        QTRY_VERIFY(!opened.doc.hasUnwrittenEdits());
        QCOMPARE(opened.writes.size(), 2);
    }

    void aChangeMadeDuringTheWriteIsKeptToo() {
        Opened opened(kOneType);
        const QByteArray theirs = json("{'type':[{'name':'theirs'}]}");
        // Someone else rewrites the file in place while Tarn's write is under way.
        std::atomic<bool> done{false};
        const QString path = opened.data.catalogPath();
        BeforeEachWrite race([&] {
            if (!done.exchange(true))
                DataFolder::writeFile(path, theirs);
        });
        addType(opened.doc, "mine");
        QVERIFY(opened.writes.wait(5000));
        QCOMPARE(opened.writes[0][0].value<CatalogDocument::Outcome>(), CatalogDocument::Outcome::Written);
        const QString copy = opened.writes[0][2].toString();
        QVERIFY(!copy.isEmpty());
        QCOMPARE(DataFolder::readFile(copy), theirs);
        QVERIFY(opened.data.readCatalog().contains("mine"));
    }

    // A way out writes edits, nothing else: a change from elsewhere that is
    // not followed yet stays as it is.
    void onlyEditsAreWrittenOnTheWayOut() {
        Opened opened(kOneType);
        opened.data.writeCatalog("{half");
        QString error;
        QCOMPARE(opened.doc.write(&error), CatalogDocument::Outcome::NotNeeded);
        QCOMPARE(opened.data.readCatalog(), QByteArray("{half"));
        addType(opened.doc, "A");
        QCOMPARE(opened.doc.write(&error), CatalogDocument::Outcome::Written);
        QCOMPARE(DataFolder::readFile(opened.doc.takeUntoldCopy()), QByteArray("{half"));
        QCOMPARE(typeCount(opened.data.readCatalog()), 2);
    }

    void anEditLeftOpenHoldsTheWriteBack() {
        Opened opened(kOneType);
        {
            auto edit = opened.doc.edit();
            catalog::types(edit.doc())->PushBack(catalog::defaultType(edit.allocator()), edit.allocator());
            // A modal dialog on a piece of the tree runs the event loop.
            QTest::qWait(300);
            QVERIFY(!opened.doc.isWriting());
            QCOMPARE(opened.writes.size(), 0);
        }
        QVERIFY(opened.writes.wait(5000));
        QCOMPARE(typeCount(opened.data.readCatalog()), 2);
    }

    void aBlockedPathFailsAndKeepsTheEdits() {
        Opened opened(kOneType);
        // A folder where the catalog file is: no write can succeed.
        QVERIFY(QFile::remove(opened.data.catalogPath()));
        QVERIFY(QDir(opened.data.dataPath()).mkdir(QStringLiteral("Data")));
        addType(opened.doc, "A");
        QVERIFY(opened.writes.wait(5000));
        QCOMPARE(opened.writes[0][0].value<CatalogDocument::Outcome>(), CatalogDocument::Outcome::Failed);
        QVERIFY(!opened.writes[0][1].toString().isEmpty());
        QVERIFY(opened.doc.hasUnwrittenEdits());
        QString error;
        QCOMPARE(opened.doc.write(&error), CatalogDocument::Outcome::Failed);
        QVERIFY(!error.isEmpty());
    }

    void editsToAFileThatCouldNotBeOpenedAreLost() {
        DataFolder data;
        // A dangling link: the file cannot be opened at start.
        QVERIFY(QFile::link(data.root() + QStringLiteral("/gone/Data"), data.catalogPath()));
        CatalogDocument doc;
        QVERIFY(doc.open(data.catalogPath()).openFailed);
        doc.trackEdits();
        // It still shows one Type to start from.
        QCOMPARE(catalog::types(doc.doc())->Size(), 1u);
        QString error;
        QCOMPARE(doc.write(&error), CatalogDocument::Outcome::NotNeeded);
        addType(doc, "A");
        QCOMPARE(doc.write(&error), CatalogDocument::Outcome::CannotOpen);
        QVERIFY(error.contains(QDir::toNativeSeparators(data.catalogPath())));
    }

    void aChangeFromElsewhereIsFollowedOnlyWhenNothingIsLost() {
        Opened opened(kOneType);
        bool busy = false;
        opened.doc.setBusyCheck([&busy] { return busy; });

        // Idle: followed.
        QVERIFY(catalogstore::writeAtomically(opened.data.catalogPath(), json("{'type':[{'name':'X'}]}")));
        QVERIFY(opened.reloads.wait(5000));
        QCOMPARE(catalog::memberText((*catalog::types(opened.doc.doc()))[0], catalog::kName),
                 QStringLiteral("X"));

        // Busy: followed once it is over.
        busy = true;
        QVERIFY(catalogstore::writeAtomically(opened.data.catalogPath(), json("{'type':[{'name':'Y'}]}")));
        QVERIFY(!opened.reloads.wait(700));
        busy = false;
        QVERIFY(opened.reloads.wait(5000));
        QCOMPARE(catalog::memberText((*catalog::types(opened.doc.doc()))[0], catalog::kName),
                 QStringLiteral("Y"));

        // Unwritten edits: Tarn's tree wins and theirs is kept as a copy,
        // told once.
        addType(opened.doc, "mine");
        const QByteArray theirs = json("{'type':[{'name':'theirs'}]}");
        opened.data.writeCatalog(theirs);
        QVERIFY(opened.writes.wait(5000));
        QCOMPARE(opened.reloads.size(), 2);
        const QString copy = opened.writes[0][2].toString();
        QCOMPARE(copy, QFileInfo(opened.data.catalogPath() + QStringLiteral(".bak")).absoluteFilePath());
        QCOMPARE(DataFolder::readFile(copy), theirs);
        QVERIFY(opened.data.readCatalog().contains("mine"));
        QCOMPARE(opened.doc.takeUntoldCopy(), QString());
        addType(opened.doc, "more");
        QVERIFY(opened.writes.wait(5000));
        QCOMPARE(opened.writes[1][2].toString(), QString());

        // A file that is not whole is not followed.
        opened.data.writeCatalog("{broken");
        QTest::qWait(500);
        QCOMPARE(opened.reloads.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestCatalogDocument)
#include "test_catalogdocument.moc"

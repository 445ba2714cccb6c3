// SPDX-License-Identifier: GPL-3.0-or-later
// Files a user's disk may hold after a crash, a bad edit or an attack: none
// may crash Tarn, and none may be lost.
#include "mainform/mainform.h"

#include "catalog/catalogstore.h"
#include "search/usagestore.h"
#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/diskfaults.h"
#include "support/jsontext.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>

namespace {

// How many bytes process `pid` has written to a file in `dir` that is not in
// place yet (a save under way), or -1 when it has none open there.
qint64 unfinishedBytes(qint64 pid, const QString& dir) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = fd.symLinkTarget();
        if (target.startsWith(dir + QLatin1Char('/')) &&
            QFileInfo(target).fileName() != QLatin1String("Data"))
            return QFileInfo(fd.filePath()).size();
    }
    return -1;
}

const QByteArray kDefault = json("{'type':[{'name':'默认分类','group':[{'name':'默认分组','item':[]}]}]}");

} // namespace

class TestHostile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installModalWatchdog(); }

    // Text Tarn cannot show at all: copied aside, the user told, the
    // default shown, and the copy identical to what was on disk.
    void unreadableTextIsKept_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("100,000 nested arrays") << QByteArray(100000, '[') + QByteArray(100000, ']');
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") + kDefault;
        QTest::newRow("NUL byte inside a name")
            << QByteArray("{\"type\":[{\"name\":\"a\0b\",\"group\":[]}]}", 33);
        QTest::newRow("cut short") << kDefault.left(kDefault.size() / 2);
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    }
    void unreadableTextIsKept() {
        QFETCH(QByteArray, bytes);
        ModalAnswerer answers;
        answers.press("OK");
        MainFormFixture shown;
        DataFolder& data = shown.data;
        QVERIFY(shown.show(bytes));
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        QCOMPARE(texts(shown.typeList()), QStringList{"默认分类"});
        QCOMPARE(data.readCatalog(), bytes); // untouched until the user closes
        shown.form().close();
        QCOMPARE(data.readCatalog(), kDefault);
        QCOMPARE(DataFolder::readFile(data.dataPath() + QStringLiteral("/Data.bak")), bytes);
    }

    void oddButReadableTextComesBackAsItWas() {
        // Invalid UTF-8 in a name, an escaped NUL, deep nesting in a member
        // Tarn does not know: shown as well as they can be, written back
        // byte for byte.
        QByteArray text =
            "{\"deep\":" + QByteArray(100000, '[') + QByteArray(100000, ']') +
            ",\"type\":[{\"name\":\"bad \xff\xfe utf8\",\"group\":[{\"name\":\"nul \\u0000 here\","
            "\"item\":[]}]}]}";
        ModalAnswerer answers;
        MainFormFixture shown;
        QVERIFY(shown.show(text));
        QCOMPARE(answers.boxes().size(), 0);
        QCOMPARE(shown.typeList()->count(), 1);
        QVERIFY(texts(shown.typeList())[0].startsWith("bad "));
        QCOMPARE(texts(shown.groupList())[0], QStringLiteral("nul "));
        shown.form().close();
        QCOMPARE(shown.data.readCatalog(), text);
    }

    void aHugeStringIsCarried() {
        // 200 MiB in an Item's parameters and in a member Tarn does not know.
        QByteArray huge(200 * 1024 * 1024, 'x');
        QByteArray text =
            json("{'type':[{'name':'T','group':[{'name':'G','item':[{'name':'big','type':0,'param':'") +
            huge + json("','path':'") + huge.left(1 << 20) + json("','note':'") + huge + "\"}]}]}]}";
        huge.clear();
        MainFormFixture shown;
        QVERIFY(shown.show(text));
        QCOMPARE(shown.itemList()->count(), 1);
        QVERIFY(shown.saved() == text);
    }

    void garbageSettings() {
        MainFormFixture shown;
        DataFolder& data = shown.data;
        const QByteArray garbage = "[Form]\nHeight=tall\nWidth=-300\nCursorPos=maybe\nOpenThenHide=\n"
                                   "[HotKey]\nShowAndHide=ctrl+nonsense+\n\x01\x02garbage\xff\n";
        DataFolder::writeFile(data.configPath(), garbage);
        ModalAnswerer answers;
        answers.press("OK").press("已知晓");
        QVERIFY(shown.show());
        MainForm& form = shown.form();
        QCOMPARE(form.size(), QSize(848, 507));
        QVERIFY(!formOpenThenHide);
        // The line the next write would drop is kept in a copy first.
        const QString copy = data.configPath() + QStringLiteral(".bak");
        QCOMPARE(DataFolder::readFile(copy), garbage);
        QCOMPARE(answers.boxes().size(), 2);
        QVERIFY(answers.boxes()[0].text.contains(QDir::toNativeSeparators(copy)));
        QCOMPARE(answers.boxes()[1].text,
                 QStringLiteral("显示隐藏热键( ctrl+nonsense+ ) 注册失败，可能发生了热键冲突"));
        // No hotkey and (under Xvfb) no tray: the close asks first.
        answers.press("隐藏窗口");
        form.close();
        // The stored size is mended by the close; nothing else is touched.
        QSettings written(data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("Form/Width")).toInt(), 848);
        QCOMPARE(written.value(QStringLiteral("HotKey/ShowAndHide")).toString(),
                 QStringLiteral("ctrl+nonsense+"));
    }

    // Launch counts too large to be Tarn's are copied as they are before
    // Tarn writes its own, and the user told where.
    void anOversizedUsageFileIsKept() {
        MainFormFixture shown;
        const QString usage = shown.data.dataPath() + QStringLiteral("/Usage");
        const QByteArray big = "{\"items\":[" + QByteArray(17 * 1024 * 1024, ' ') + "]}";
        DataFolder::writeFile(usage, big);
        ModalAnswerer answers;
        answers.press("OK");
        QVERIFY(shown.show());
        const QString copy = usage + QStringLiteral(".bak");
        QCOMPARE(answers.boxes().size(), 1);
        QVERIFY(answers.boxes()[0].text.contains(QDir::toNativeSeparators(copy)));
        shown.close();
        QVERIFY(DataFolder::readFile(copy) == big);

        search::UsageStore store;
        QVERIFY(!store.load(usage));
        catalog::Document doc;
        QVERIFY(catalog::parse(doc, "{\"name\":\"a\",\"type\":2,\"path\":\"a.org\",\"param\":\"\"}"));
        store.recordLaunch(doc);
        QVERIFY(store.save(usage));
        QVERIFY(DataFolder::readFile(copy) == big);
        QVERIFY(!QFile::exists(usage + QStringLiteral("-2.bak")));
    }

    void aSettingsFileThatIsNotText() {
        MainFormFixture shown;
        QByteArray noise(4096, '\0');
        for (char& c : noise)
            c = static_cast<char>(QRandomGenerator::global()->bounded(256));
        DataFolder::writeFile(shown.data.configPath(), noise);
        ModalAnswerer answers;
        answers.press("已知晓");
        QVERIFY(shown.show());
        QCOMPARE(shown.form().size(), QSize(848, 507));
        QCOMPARE(texts(shown.typeList()), QStringList{"默认分类"});
    }

    void killedWhileSavingLeavesOldOrNew() {
        DataFolder data;
        QVERIFY(QProcess::execute(QStringLiteral(TARN_CATALOGWRITER),
                                  {data.catalogPath(), QStringLiteral("20000"), QStringLiteral("0")}) == 0);
        QByteArray current = data.readCatalog();
        QVERIFY(current.size() > 1000000);
        constexpr int kRounds = 24;
        int completed = 0;
        int midWrite = 0;
        for (int round = 1; round <= kRounds; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(TARN_CATALOGWRITER),
                         {data.catalogPath(), QString::number(20000 + round), QString::number(round)});
            QVERIFY(writer.waitForStarted());
            // Every third round is killed the moment new bytes are on their
            // way to disk; the others at a random point of the run.
            const bool chase = round % 3 == 0;
            QDeadlineTimer deadline(chase ? 5000 : QRandomGenerator::global()->bounded(5, 250));
            bool partWritten = false;
            while (!deadline.hasExpired() && !(chase && partWritten)) {
                partWritten = partWritten || unfinishedBytes(writer.processId(), data.dataPath()) > 0;
                QThread::usleep(200);
            }
            ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
            writer.waitForFinished(5000);

            const QByteArray after = data.readCatalog();
            catalog::Document doc;
            QVERIFY2(catalog::parse(doc, after.constData()), "the catalog no longer parses");
            if (after == current) {
                // The old content, whole, although new bytes were written.
                midWrite += partWritten;
                continue;
            }
            // Otherwise the new content, whole.
            QCOMPARE(doc["generation"].GetInt(), round);
            QCOMPARE(int((*catalog::itemsOf(doc, 0, 0)).Size()), 20000 + round);
            current = after;
            ++completed;
        }
        qInfo("of %d writes, %d completed and %d were killed part-way", kRounds, completed, midWrite);
        QVERIFY2(midWrite > 0, "no kill landed while the new catalog was being written");
    }

    void filesThatAreNoFilesNeverBlockTheStart() {
        MainFormFixture shown;
        DataFolder& data = shown.data;
        const QByteArray catalogPath = QFile::encodeName(data.catalogPath());
        QCOMPARE(::mkfifo(catalogPath.constData(), 0644), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(data.configPath()).constData(), 0644), 0);
        {
            Deadline deadline(30, "starting with FIFOs for the catalog and the settings");
            ModalAnswerer answers;
            answers.press("OK");
            QVERIFY(shown.show());
            QCOMPARE(answers.boxes().size(), 1);
            QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件打开出现错误！"));
            QCOMPARE(texts(shown.typeList()), QStringList{"默认分类"});
            shown.form().close();
            QCOMPARE(answers.boxes().size(), 1);
        }
        QVERIFY(!QFileInfo(data.catalogPath()).isFile() && !QFileInfo(data.configPath()).isFile());

        // A custom icon that is a FIFO is passed over.
        QVERIFY(QFile::remove(data.catalogPath()));
        const QString pipe = data.dataPath() + "/x.png";
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
        data.writeCatalog(json("{'type':[{'name':'T','group':[{'name':'G','item':[{'name':'I','type':0,"
                               "'param':'','path':'','customIcon':'" +
                               pipe + "'}]}]}]}"));
        Deadline deadline(30, "starting with a custom icon that is a FIFO");
        QVERIFY(shown.show());
        QCOMPARE(shown.itemList()->count(), 1);
    }
};

QTEST_MAIN(TestHostile)
#include "test_hostile.moc"

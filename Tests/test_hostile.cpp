// Files a user's disk may hold after a crash, a bad edit or an attack: none
// may crash Tarn, and none may be lost.
#include "mainform/mainform.h"

#include "catalog/catalogstore.h"
#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/diskfaults.h"
#include "support/jsontext.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"

#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>

namespace {

QStringList typeNames(const MainForm& form) {
    QStringList out;
    auto* list = form.findChild<QListWidget*>("listWidget_type");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
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
        DataFolder data;
        data.writeCatalog(bytes);
        ModalAnswerer answers;
        answers.press("OK");
        MainForm form;
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        QCOMPARE(typeNames(form), QStringList{"默认分类"});
        QCOMPARE(data.readCatalog(), bytes); // untouched until the user closes
        form.close();
        QCOMPARE(data.readCatalog(), kDefault);
        QCOMPARE(DataFolder::readFile(data.dataPath() + "/Data.bak"), bytes);
    }

    void oddButReadableTextComesBackAsItWas() {
        // Invalid UTF-8 in a name, an escaped NUL, deep nesting in a member
        // Tarn does not know: shown as well as they can be, written back
        // byte for byte.
        QByteArray text =
            "{\"deep\":" + QByteArray(100000, '[') + QByteArray(100000, ']') +
            ",\"type\":[{\"name\":\"bad \xff\xfe utf8\",\"group\":[{\"name\":\"nul \\u0000 here\","
            "\"item\":[]}]}]}";
        DataFolder data;
        data.writeCatalog(text);
        ModalAnswerer answers;
        MainForm form;
        QCOMPARE(answers.boxes().size(), 0);
        QCOMPARE(typeNames(form).size(), 1);
        QVERIFY(typeNames(form)[0].startsWith("bad "));
        QCOMPARE(form.findChild<QListWidget*>("listWidget_group")->item(0)->text(), QStringLiteral("nul "));
        form.close();
        QCOMPARE(data.readCatalog(), text);
    }

    void aHugeStringIsCarried() {
        // 200 MiB in an Item's parameters and in a member Tarn does not know.
        QByteArray huge(200 * 1024 * 1024, 'x');
        QByteArray text =
            json("{'type':[{'name':'T','group':[{'name':'G','item':[{'name':'big','type':0,'param':'") +
            huge + json("','path':'") + huge.left(1 << 20) + json("','note':'") + huge + "\"}]}]}]}";
        huge.clear();
        DataFolder data;
        data.writeCatalog(text);
        {
            MainForm form;
            QCOMPARE(form.findChild<QListWidget*>("listWidget_item")->count(), 1);
            QVERIFY(form.saveCatalog());
        }
        QVERIFY(data.readCatalog() == text);
    }

    void garbageSettings() {
        DataFolder data;
        DataFolder::writeFile(data.configPath(),
                              "[Form]\nHeight=tall\nWidth=-300\nCursorPos=maybe\nOpenThenHide=\n"
                              "[HotKey]\nShowAndHide=ctrl+nonsense+\n\x01\x02garbage\xff\n");
        ModalAnswerer answers;
        answers.press("已知晓");
        MainForm form;
        QCOMPARE(form.size(), QSize(848, 507));
        QVERIFY(!formOpenThenHide);
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text,
                 QStringLiteral("显示隐藏热键( ctrl+nonsense+ ) 注册失败，可能发生了热键冲突"));
        form.close();
        // The stored size is mended by the close; nothing else is touched.
        QSettings written(data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.value("Form/Width").toInt(), 848);
        QCOMPARE(written.value("HotKey/ShowAndHide").toString(), QStringLiteral("ctrl+nonsense+"));
    }

    void aSettingsFileThatIsNotText() {
        DataFolder data;
        QByteArray noise(4096, '\0');
        for (char& c : noise)
            c = static_cast<char>(QRandomGenerator::global()->bounded(256));
        DataFolder::writeFile(data.configPath(), noise);
        ModalAnswerer answers;
        answers.press("已知晓");
        MainForm form;
        QCOMPARE(form.size(), QSize(848, 507));
        QCOMPARE(typeNames(form), QStringList{"默认分类"});
    }

    void killedWhileSavingLeavesOldOrNew() {
        DataFolder data;
        QVERIFY(QProcess::execute(TARN_CATALOGWRITER, {data.catalogPath(), "20000", "0"}) == 0);
        QByteArray current = data.readCatalog();
        QVERIFY(current.size() > 1000000);
        int completed = 0;
        for (int round = 1; round <= 40; ++round) {
            QProcess writer;
            writer.start(TARN_CATALOGWRITER,
                         {data.catalogPath(), QString::number(20000 + round), QString::number(round)});
            QVERIFY(writer.waitForStarted());
            QThread::usleep(QRandomGenerator::global()->bounded(5000, 60000));
            ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
            writer.waitForFinished(5000);

            const QByteArray after = data.readCatalog();
            catalog::Document doc;
            QVERIFY2(catalog::parse(doc, after.constData()), "the catalog no longer parses");
            if (after == current)
                continue; // killed in time: the old content, whole
            // Otherwise the new content, whole.
            QCOMPARE(doc["generation"].GetInt(), round);
            QCOMPARE(int((*catalog::itemsOf(doc, 0, 0)).Size()), 20000 + round);
            current = after;
            ++completed;
        }
        qInfo("%d of 40 writes completed before the kill", completed);
    }

    void filesThatAreNoFilesNeverBlockTheStart() {
        DataFolder data;
        const QByteArray catalogPath = QFile::encodeName(data.catalogPath());
        QCOMPARE(::mkfifo(catalogPath.constData(), 0644), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(data.configPath()).constData(), 0644), 0);
        {
            Deadline deadline(30, "starting with FIFOs for the catalog and the settings");
            ModalAnswerer answers;
            answers.press("OK");
            MainForm form;
            QCOMPARE(answers.boxes().size(), 1);
            QCOMPARE(answers.boxes()[0].text, QStringLiteral("配置文件打开出现错误！"));
            QCOMPARE(typeNames(form), QStringList{"默认分类"});
            form.close();
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
        MainForm form;
        QCOMPARE(form.findChild<QListWidget*>("listWidget_item")->count(), 1);
    }
};

QTEST_MAIN(TestHostile)
#include "test_hostile.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Where the files live: the portable layout, a folder chosen with --data and
// the installed layout in the XDG folders.
#include "platform/datapaths.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* variable, const QByteArray& value)
        : name(variable), had(qEnvironmentVariableIsSet(variable)), old(qgetenv(variable)) {
        qputenv(name, value);
    }
    ~ScopedVariable() {
        if (had)
            qputenv(name, old);
        else
            qunsetenv(name);
    }

private:
    const char* name;
    bool had;
    QByteArray old;
};

} // namespace

class TestDataPaths : public QObject {
    Q_OBJECT

    QTemporaryDir scratch;
    QString previous;

private slots:
    void init() {
        previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(scratch.path()));
    }
    void cleanup() {
        QDir::setCurrent(previous);
        datapaths::use(datapaths::resolve(datapaths::Layout::Portable));
    }

    void portableFollowsTheWorkingDirectory() {
        // Before main() settles anything, and after: today's ../Data.
        QCOMPARE(datapaths::catalogFile(), QStringLiteral("../Data/Data"));
        datapaths::use(datapaths::resolve(datapaths::Layout::Portable));
        QCOMPARE(datapaths::dataFolder(), QStringLiteral("../Data"));
        QCOMPARE(datapaths::configFile(), QStringLiteral("../Data/Config"));
        QCOMPARE(datapaths::usageFile(), QStringLiteral("../Data/Usage"));
        QVERIFY(datapaths::startArguments().isEmpty());
        QCOMPARE(datapaths::startFolder(), scratch.path());
        // Made by the user (the run script), never by Tarn.
        QVERIFY(datapaths::makeFolders());
        QVERIFY(!QFileInfo::exists(scratch.filePath(QStringLiteral("../Data"))));
    }

    void aChosenFolderWinsInBothLayouts_data() {
        QTest::addColumn<int>("layout");
        QTest::newRow("portable") << static_cast<int>(datapaths::Layout::Portable);
        QTest::newRow("installed") << static_cast<int>(datapaths::Layout::Installed);
    }
    void aChosenFolderWinsInBothLayouts() {
        QFETCH(int, layout);
        const ScopedVariable data("XDG_DATA_HOME", scratch.filePath(QStringLiteral("xdg-data")).toUtf8());
        // Relative to where Tarn was started; kept absolute, so it still
        // holds after the working directory changes.
        datapaths::use(
            datapaths::resolve(static_cast<datapaths::Layout>(layout), QStringLiteral("a/../my data/")));
        const QString folder = scratch.filePath(QStringLiteral("my data"));
        QVERIFY(QDir::setCurrent(QDir::rootPath()));
        QCOMPARE(datapaths::dataFolder(), folder);
        QCOMPARE(datapaths::catalogFile(), folder + QStringLiteral("/Data"));
        QCOMPARE(datapaths::configFile(), folder + QStringLiteral("/Config"));
        QCOMPARE(datapaths::usageFile(), folder + QStringLiteral("/Usage"));
        QCOMPARE(datapaths::startArguments(), (QStringList{QStringLiteral("--data"), folder}));
        QCOMPARE(datapaths::startFolder(), QString());
        QVERIFY(datapaths::makeFolders());
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!QFileInfo::exists(scratch.filePath(QStringLiteral("xdg-data"))));
    }

    void installedUsesTheXdgFolders() {
        const ScopedVariable home("HOME", scratch.filePath(QStringLiteral("home")).toUtf8());
        const ScopedVariable data("XDG_DATA_HOME", scratch.filePath(QStringLiteral("share")).toUtf8());
        const ScopedVariable config("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("etc/")).toUtf8());
        datapaths::use(datapaths::resolve(datapaths::Layout::Installed));
        QCOMPARE(datapaths::catalogFile(), scratch.filePath(QStringLiteral("share/tarn/Data")));
        QCOMPARE(datapaths::usageFile(), scratch.filePath(QStringLiteral("share/tarn/Usage")));
        QCOMPARE(datapaths::configFile(), scratch.filePath(QStringLiteral("etc/tarn/Config")));
        // Found from anywhere: nothing to pass, no folder to start in.
        QVERIFY(datapaths::startArguments().isEmpty());
        QCOMPARE(datapaths::startFolder(), QString());
        QVERIFY(datapaths::makeFolders()); // the first run makes both
        QVERIFY(QFileInfo(scratch.filePath(QStringLiteral("share/tarn"))).isDir());
        QVERIFY(QFileInfo(scratch.filePath(QStringLiteral("etc/tarn"))).isDir());

        // Unset or relative (which the XDG rules ignore): the usual folders in home.
        const ScopedVariable relative("XDG_CONFIG_HOME", "etc");
        qunsetenv("XDG_DATA_HOME");
        datapaths::use(datapaths::resolve(datapaths::Layout::Installed));
        QCOMPARE(datapaths::catalogFile(), scratch.filePath(QStringLiteral("home/.local/share/tarn/Data")));
        QCOMPARE(datapaths::configFile(), scratch.filePath(QStringLiteral("home/.config/tarn/Config")));
    }
};

QTEST_GUILESS_MAIN(TestDataPaths)
#include "test_datapaths.moc"

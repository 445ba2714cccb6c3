// SPDX-License-Identifier: GPL-3.0-or-later
#include "icons/itemicon.h"

#include "support/datafolder.h"

#include <QFileIconProvider>
#include <QImage>
#include <QtTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(ItemIconSource)

namespace {

void writeImage(const QString& path, QColor colour, const char* format) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    QVERIFY(image.save(path, format));
}

// A one-pixel red GIF (GIF89a, a two-colour table, one LZW-coded pixel).
const QByteArray kRedGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
                         ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                         35);

// A file icon provider that gives every file the same icon, as a desktop
// theme does for files of one type.
class OneIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo&) const override { return shared; }
    QIcon shared = QIcon(QPixmap(64, 64));
};

// The inode change time, in nanoseconds.
qint64 changeTime(const QString& path) {
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
}

} // namespace

class TestItemIcon : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString file(const QString& name) const { return dir.filePath(name); }

private slots:
    void initTestCase() {
        writeImage(file("red.png"), Qt::red, "PNG");
        writeImage(file("upper.PNG"), Qt::green, "PNG");
        writeImage(file("photo.jpg"), Qt::blue, "JPG");
        DataFolder::writeFile(file("dot.gif"), kRedGif);
        DataFolder::writeFile(file("tool.exe"), "MZ");
        DataFolder::writeFile(file("notes.txt"), "x");
        QDir(dir.path()).mkdir("folder");
        QCOMPARE(::mkfifo(QFile::encodeName(file("pipe.png")).constData(), 0644), 0);

        // An icon theme and the installed menu entries, both our own.
        QDir(dir.path()).mkpath("icons/tarntest/16x16/apps");
        DataFolder::writeFile(file("icons/tarntest/index.theme"),
                              "[Icon Theme]\nName=tarntest\nDirectories=16x16/apps\n\n"
                              "[16x16/apps]\nSize=16\nType=Fixed\n");
        writeImage(file("icons/tarntest/16x16/apps/tarn-test.png"), Qt::yellow, "PNG");
        QIcon::setThemeSearchPaths({file("icons")});
        QIcon::setThemeName("tarntest");
        QDir(dir.path()).mkpath("share/applications");
        qputenv("XDG_DATA_HOME", file("home").toUtf8());
        qputenv("XDG_DATA_DIRS", file("share").toUtf8());
        DataFolder::writeFile(file("prog"), "#!/bin/sh\n");
        QFile::setPermissions(file("prog"), QFile::ReadOwner | QFile::ExeOwner);
        DataFolder::writeFile(
            file("share/applications/prog.desktop"),
            "[Desktop Entry]\nType=Application\nIcon=tarn-test\nExec=" + file("prog").toUtf8() + " %U\n");
    }

    void rule_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("customIcon");
        QTest::addColumn<ItemIconSource>("source");
        QTest::addColumn<QString>("used");

        const QString missing = file("gone.txt");
        QTest::newRow("custom png") << 0 << missing << file("red.png") << ItemIconSource::CustomImage
                                    << "red.png";
        QTest::newRow("custom gif") << 0 << missing << file("dot.gif") << ItemIconSource::CustomImage
                                    << "dot.gif";
        QTest::newRow("custom jpg on a web Item")
            << 2 << "https://example.org" << file(QStringLiteral("photo.jpg")) << ItemIconSource::CustomImage
            << "photo.jpg";
        QTest::newRow("custom PNG is case-sensitive") << 0 << missing << file(QStringLiteral("upper.PNG"))
                                                      << ItemIconSource::CustomSystem << "upper.PNG";
        QTest::newRow("custom program")
            << 0 << missing << file(QStringLiteral("tool.exe")) << ItemIconSource::CustomSystem << "tool.exe";
        QTest::newRow("custom folder")
            << 0 << missing << file(QStringLiteral("folder")) << ItemIconSource::CustomSystem << "folder";
        QTest::newRow("custom gone falls through to web")
            << 2 << missing << file(QStringLiteral("gone.png")) << ItemIconSource::Web << "";
        QTest::newRow("web never tests its path")
            << 2 << file(QStringLiteral("notes.txt")) << "" << ItemIconSource::Web << "";
        QTest::newRow("existing file")
            << 0 << file(QStringLiteral("notes.txt")) << "" << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("existing folder")
            << 1 << file("folder") << "" << ItemIconSource::PathSystem << "folder";
        QTest::newRow("custom FIFO falls through to path")
            << 0 << file("notes.txt") << file("pipe.png") << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("custom gone falls through to path")
            << 0 << file(QStringLiteral("notes.txt")) << file(QStringLiteral("gone.png"))
            << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("odd kind behaves as a file")
            << 7 << file(QStringLiteral("notes.txt")) << "" << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("missing file") << 0 << missing << "" << ItemIconSource::Lost << "";
        QTest::newRow("missing folder")
            << 1 << file(QStringLiteral("nofolder")) << "" << ItemIconSource::Lost << "";
        QTest::newRow("empty path") << 0 << ""
                                    << "" << ItemIconSource::Lost << "";
    }
    void rule() {
        QFETCH(int, kind);
        QFETCH(QString, path);
        QFETCH(QString, customIcon);
        QFETCH(ItemIconSource, source);
        QFETCH(QString, used);
        const ItemIconChoice choice = chooseItemIcon(kind, path, customIcon);
        QCOMPARE(choice.source, source);
        QCOMPARE(choice.file, used.isEmpty() ? QString() : file(used));
    }

    void iconsShowWhatWasChosen() {
        QFileIconProvider provider;
        const QImage custom =
            itemIcon(0, QString(), file(QStringLiteral("red.png")), provider).pixmap(16, 16).toImage();
        QCOMPARE(custom.pixelColor(8, 8), QColor(Qt::red));
        // A GIF shows as its picture too (Qt reads it through a plugin).
        const QImage gif = itemIcon(0, "", file("dot.gif"), provider).pixmap(16, 16).toImage();
        QCOMPARE(gif.size(), QSize(1, 1));
        QCOMPARE(gif.pixelColor(0, 0), QColor(Qt::red));

        const QImage web = itemIcon(2, QString(), QString(), provider).pixmap(64, 64).toImage();
        QCOMPARE(web, QImage(QStringLiteral(":/img/Web.png")).convertToFormat(web.format()));
        const QImage lost =
            itemIcon(0, file(QStringLiteral("gone")), QString(), provider).pixmap(64, 64).toImage();
        QCOMPARE(lost, QImage(QStringLiteral(":/img/Lost.png")).convertToFormat(lost.format()));

        const QIcon system = itemIcon(0, file(QStringLiteral("notes.txt")), QString(), provider);
        QVERIFY(!system.isNull());
        QCOMPARE(system.availableSizes(), QList<QSize>{QSize(48, 48)});
    }

    void desktopEntriesGiveTheirIcons() {
        QFileIconProvider provider;
        ItemIconCache cache;
        auto entry = [&](const QString& name, const QString& icon) {
            DataFolder::writeFile(file(name),
                                  "[Desktop Entry]\nType=Application\nExec=sh\nIcon=" + icon.toUtf8() + "\n");
            return file(name);
        };
        const QString themed = entry("themed.desktop", "tarn-test");
        QCOMPARE(itemIcon(0, themed, "", provider).name(), QStringLiteral("tarn-test"));
        QCOMPARE(cache.icon(0, themed, "", provider).name(), QStringLiteral("tarn-test"));
        const QString picture = entry("picture.desktop", file("red.png"));
        QCOMPARE(cache.icon(0, picture, "", provider).pixmap(16, 16).toImage().pixelColor(8, 8),
                 QColor(Qt::red));
        // An icon the theme lacks: the file's system icon, as for any file.
        const QIcon unknown = cache.icon(0, entry("unknown.desktop", "tarn-absent"), "", provider);
        QCOMPARE(unknown.availableSizes(), QList<QSize>{QSize(48, 48)});
        // A custom icon still comes first.
        QCOMPARE(itemIcon(0, themed, file("photo.jpg"), provider).name(), QString());
        // A program started by an installed entry shows the entry's icon.
        QCOMPARE(itemIcon(0, file("prog"), "", provider).name(), QStringLiteral("tarn-test"));
        QCOMPARE(cache.icon(0, file("prog"), "", provider).name(), QStringLiteral("tarn-test"));
        QCOMPARE(cache.icon(0, file("notes.txt"), "", provider).name(), QString());
    }

    void cacheFollowsTheFiles() {
        QFileIconProvider provider;
        ItemIconCache cache;
        const QString picture = file(QStringLiteral("changing.png"));
        writeImage(picture, Qt::red, "PNG");
        const QIcon first = cache.icon(0, QString(), picture, provider);
        QCOMPARE(first.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
        QCOMPARE(cache.icon(0, QString(), picture, provider).cacheKey(), first.cacheKey());

        // The file changes (another size, a later time): a fresh icon.
        QImage bigger(32, 32, QImage::Format_ARGB32);
        bigger.fill(Qt::blue);
        QVERIFY(bigger.save(picture, "PNG"));
        QFile(picture).open(QIODevice::ReadWrite);
        const QIcon second = cache.icon(0, QString(), picture, provider);
        QVERIFY(second.cacheKey() != first.cacheKey());
        QCOMPARE(second.pixmap(32, 32).toImage().pixelColor(8, 8), QColor(Qt::blue));

        // Replaced by a picture of the same size bearing the old time: the
        // inode or its change time tells, and both are asked.
        const QDateTime time = QFileInfo(picture).lastModified();
        const qint64 size = QFileInfo(picture).size();
        auto replace = [&](QColor colour, const QString& writtenAs) {
            bigger.fill(colour);
            QVERIFY(bigger.save(writtenAs, "PNG"));
            QFile touched(writtenAs);
            QVERIFY(touched.open(QIODevice::ReadWrite));
            QVERIFY(touched.setFileTime(time, QFileDevice::FileModificationTime));
            touched.close();
            QVERIFY(writtenAs == picture ||
                    ::rename(QFile::encodeName(writtenAs), QFile::encodeName(picture)) == 0);
            QCOMPARE(QFileInfo(picture).lastModified(), time);
            QCOMPARE(QFileInfo(picture).size(), size);
        };
        auto shown = [&] {
            return cache.icon(0, "", picture, provider).pixmap(32, 32).toImage().pixelColor(8, 8);
        };
        // A new file moved over it (how editors and downloads replace).
        replace(Qt::green, file("new.png"));
        QCOMPARE(shown(), QColor(Qt::green));
        // Rewritten in place: the same inode, a later change time. The
        // file system stamps with a coarse clock; wait for it to move on.
        const qint64 changed = changeTime(picture);
        DataFolder::writeFile(file("clock"), "x");
        QTRY_VERIFY_WITH_TIMEOUT((QFile(file("clock")).setPermissions(QFile::ReadOwner | QFile::WriteOwner),
                                  changeTime(file("clock")) > changed),
                                 2000);
        replace(Qt::yellow, picture);
        QCOMPARE(shown(), QColor(Qt::yellow));

        // Gone: the rule falls through, cache or not.
        QVERIFY(QFile::remove(picture));
        const QImage lost =
            cache.icon(0, file(QStringLiteral("gone")), picture, provider).pixmap(64, 64).toImage();
        QCOMPARE(lost, QImage(QStringLiteral(":/img/Lost.png")).convertToFormat(lost.format()));

        // Files that share a system icon share one rendering of it.
        DataFolder::writeFile(file("a.dat"), "a");
        DataFolder::writeFile(file("b.dat"), "bb");
        OneIconProvider themed;
        ItemIconCache shared;
        const QIcon a = shared.icon(0, file("a.dat"), "", themed);
        const QIcon b = shared.icon(0, file("b.dat"), "", themed);
        QCOMPARE(a.availableSizes(), QList<QSize>{QSize(48, 48)});
        QCOMPARE(a.cacheKey(), b.cacheKey());
    }
};

QTEST_MAIN(TestItemIcon)
#include "test_itemicon.moc"

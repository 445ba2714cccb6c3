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
        DataFolder::writeFile(file("tool.exe"), "MZ");
        DataFolder::writeFile(file("notes.txt"), "x");
        QDir(dir.path()).mkdir("folder");
        QCOMPARE(::mkfifo(QFile::encodeName(file("pipe.png")).constData(), 0644), 0);
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
        QTest::newRow("custom jpg on a web Item")
            << 2 << "https://example.org" << file("photo.jpg") << ItemIconSource::CustomImage << "photo.jpg";
        QTest::newRow("custom PNG is case-sensitive")
            << 0 << missing << file("upper.PNG") << ItemIconSource::CustomSystem << "upper.PNG";
        QTest::newRow("custom program")
            << 0 << missing << file("tool.exe") << ItemIconSource::CustomSystem << "tool.exe";
        QTest::newRow("custom folder")
            << 0 << missing << file("folder") << ItemIconSource::CustomSystem << "folder";
        QTest::newRow("custom gone falls through to web")
            << 2 << missing << file("gone.png") << ItemIconSource::Web << "";
        QTest::newRow("web never tests its path")
            << 2 << file("notes.txt") << "" << ItemIconSource::Web << "";
        QTest::newRow("existing file")
            << 0 << file("notes.txt") << "" << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("existing folder")
            << 1 << file("folder") << "" << ItemIconSource::PathSystem << "folder";
        QTest::newRow("custom FIFO falls through to path")
            << 0 << file("notes.txt") << file("pipe.png") << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("custom gone falls through to path")
            << 0 << file("notes.txt") << file("gone.png") << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("odd kind behaves as a file")
            << 7 << file("notes.txt") << "" << ItemIconSource::PathSystem << "notes.txt";
        QTest::newRow("missing file") << 0 << missing << "" << ItemIconSource::Lost << "";
        QTest::newRow("missing folder") << 1 << file("nofolder") << "" << ItemIconSource::Lost << "";
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
        const QImage custom = itemIcon(0, "", file("red.png"), provider).pixmap(16, 16).toImage();
        QCOMPARE(custom.pixelColor(8, 8), QColor(Qt::red));

        const QImage web = itemIcon(2, "", "", provider).pixmap(64, 64).toImage();
        QCOMPARE(web, QImage(":/img/Web.png").convertToFormat(web.format()));
        const QImage lost = itemIcon(0, file("gone"), "", provider).pixmap(64, 64).toImage();
        QCOMPARE(lost, QImage(":/img/Lost.png").convertToFormat(lost.format()));

        const QIcon system = itemIcon(0, file("notes.txt"), "", provider);
        QVERIFY(!system.isNull());
        QCOMPARE(system.availableSizes(), QList<QSize>{QSize(48, 48)});
    }

    void cacheFollowsTheFiles() {
        QFileIconProvider provider;
        ItemIconCache cache;
        const QString picture = file("changing.png");
        writeImage(picture, Qt::red, "PNG");
        const QIcon first = cache.icon(0, "", picture, provider);
        QCOMPARE(first.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
        QCOMPARE(cache.icon(0, "", picture, provider).cacheKey(), first.cacheKey());

        // The file changes (another size, a later time): a fresh icon.
        QImage bigger(32, 32, QImage::Format_ARGB32);
        bigger.fill(Qt::blue);
        QVERIFY(bigger.save(picture, "PNG"));
        QFile(picture).open(QIODevice::ReadWrite);
        const QIcon second = cache.icon(0, "", picture, provider);
        QVERIFY(second.cacheKey() != first.cacheKey());
        QCOMPARE(second.pixmap(32, 32).toImage().pixelColor(8, 8), QColor(Qt::blue));

        // Gone: the rule falls through, cache or not.
        QVERIFY(QFile::remove(picture));
        const QImage lost = cache.icon(0, file("gone"), picture, provider).pixmap(64, 64).toImage();
        QCOMPARE(lost, QImage(":/img/Lost.png").convertToFormat(lost.format()));

        // Files of one type share one rendering of their system icon.
        DataFolder::writeFile(file("a.dat"), "a");
        DataFolder::writeFile(file("b.dat"), "bb");
        const QIcon a = cache.icon(0, file("a.dat"), "", provider);
        const QIcon b = cache.icon(0, file("b.dat"), "", provider);
        QCOMPARE(a.availableSizes(), QList<QSize>{QSize(48, 48)});
        if (provider.icon(QFileInfo(file("a.dat"))).cacheKey() ==
            provider.icon(QFileInfo(file("b.dat"))).cacheKey())
            QCOMPARE(a.cacheKey(), b.cacheKey());
    }
};

QTEST_MAIN(TestItemIcon)
#include "test_itemicon.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in resources, the application style sheet and the work start-up
// hands to another core.
#include "app/startuppreload.h"
#include "app/stylesheet.h"
#include "app/systemfonts.h"
#include "catalog/catalogjson.h"
#include "icons/rawpicture.h"
#include "support/datafolder.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QResource>
#include <QtTest>

class TestAppFrame : public QObject {
    Q_OBJECT

private slots:
    void resourcesHaveTheirSizes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("settings") << ":/img/Settings.png" << QSize(587, 587);
        QTest::newRow("web") << ":/img/Web.png" << QSize(64, 64);
        QTest::newRow("web@2x") << ":/img/Web@2x.png" << QSize(128, 128);
        QTest::newRow("lost") << ":/img/Lost.png" << QSize(64, 64);
        QTest::newRow("lost@2x") << ":/img/Lost@2x.png" << QSize(128, 128);
        QTest::newRow("arrow") << ":/qss/arrowdown.png" << QSize(200, 200);
    }
    void resourcesHaveTheirSizes() {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QCOMPARE(image.size(), size);
        QVERIFY(image.hasAlphaChannel());
    }

    void applicationIconHoldsEverySize() {
        QImageReader reader(QStringLiteral(":/img/App.ico"));
        QList<int> sizes;
        do {
            const QImage image = reader.read();
            QCOMPARE(image.width(), image.height());
            QVERIFY(image.hasAlphaChannel());
            sizes << image.width();
        } while (reader.jumpToNextImage());
        QCOMPARE(sizes, (QList<int>{256, 128, 64, 48, 32, 24, 16}));
        // The labels that show it as a plain pixmap get the largest, enough
        // for the About tab's 128 pixels at twice the scale.
        QCOMPARE(QImage(QStringLiteral(":/img/App.ico")).size(), QSize(256, 256));
        QCOMPARE(QIcon(QStringLiteral(":/img/App.ico")).availableSizes().size(), 7);
    }

    void styleSheetFile() {
        QFile css(QStringLiteral(":/qss/index.css"));
        QVERIFY(css.open(QIODevice::ReadOnly));
        const QByteArray bytes = css.readAll();
        // The original 1035 bytes, then the rule that marks the selected Item.
        QCOMPARE(bytes.size(), 1152);
        QVERIFY(bytes.endsWith(
            "QListWidget#listWidget_result::item:selected{\r\n\tbackground:#dcebfa;\r\n}\r\n"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QVERIFY(bytes.endsWith("\r\n"));
        // Rules that are easy to get wrong by a character.
        for (const char* rule :
             {"padding:4px 12px 4px 12px;", "padding:2px 1px 2px 1px;", "padding:2px 1px 2px 2px;",
              "image:url(\":/qss/arrowdown.png\");", "QInputDialog>QLineEdit{", "min-width:350px;",
              "QMenu:item:selected{", "background:#f0efef;", "padding:4px 30px 4px 30px;",
              "border-color:#3985ff;", "width:16px;", "height:20px;", "min-height:23px;", "max-height:23px;"})
            QVERIFY2(bytes.contains(rule), rule);
    }

    void loadStyleSheetInstallsIt() {
        qApp->setStyleSheet(QString());
        loadStyleSheet();
        const QString sheet = qApp->styleSheet();
        QVERIFY(sheet.startsWith("QPushButton{\r\n"));
        QVERIFY(sheet.contains("padding:4px 30px 4px 30px;\r\n}\r\n"));
        // The comment is not UTF-8 and decodes to replacement characters.
        QVERIFY(sheet.contains(QChar::ReplacementCharacter));
    }

    void comboArrowAndLineEditHeights() {
        loadStyleSheet();
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCOMPARE(edit.height(), 23 + 2 + 2 + 2); // min-height + padding + border
    }
    // A face that is installed is asked for by the name given, in any of its
    // languages; one that is not, by the installed face that stands in for it
    // in Chinese, so its Chinese text needs no other face. It is hinted as
    // the configuration's own tool says, which Qt alone would not follow.
    void interfaceFamilyIsInstalled() {
        const QFontDatabase fonts;
        const QString wenquanyi = QStringLiteral("WenQuanYi Micro Hei");
        if (!fonts.hasFamily(wenquanyi) || fonts.hasFamily(QStringLiteral("微软雅黑")))
            QSKIP("needs WenQuanYi Micro Hei and no 微软雅黑");
        systemfonts::load();
        QCOMPARE(systemfonts::faceFor(wenquanyi, "zh-cn").family, wenquanyi);
        QCOMPARE(systemfonts::faceFor(QStringLiteral("文泉驿微米黑"), "zh-cn").family,
                 QStringLiteral("文泉驿微米黑"));
        QCOMPARE(systemfonts::faceFor(QStringLiteral("DejaVu Sans"), "zh-cn").family,
                 QStringLiteral("DejaVu Sans"));
        const systemfonts::Face standIn = systemfonts::faceFor(QStringLiteral("微软雅黑"), "zh-cn");
        QVERIFY2(fonts.hasFamily(standIn.family), qPrintable(standIn.family));
        QVERIFY2(fonts.writingSystems(standIn.family).contains(QFontDatabase::SimplifiedChinese),
                 qPrintable(standIn.family));

        auto configured = [](const QString& family) {
            QProcess match;
            match.start(QStringLiteral("fc-match"),
                        {QStringLiteral("--format=%{hinting}"), family + QStringLiteral(":lang=zh-cn")});
            return match.waitForFinished(10000) ? QString::fromUtf8(match.readAllStandardOutput())
                                                : QString();
        };
        // fonts-wqy-microhei turns hinting off for its face; DejaVu is hinted.
        if (configured(wenquanyi) != QStringLiteral("False"))
            QSKIP("needs fc-match and a configuration that leaves WenQuanYi Micro Hei unhinted");
        QCOMPARE(configured(QStringLiteral("DejaVu Sans")), QStringLiteral("True"));
        QVERIFY(!systemfonts::faceFor(wenquanyi, "zh-cn").hinted);
        QVERIFY(systemfonts::faceFor(QStringLiteral("DejaVu Sans"), "zh-cn").hinted);
        QCOMPARE(systemfonts::fontOf(systemfonts::faceFor(wenquanyi, "zh-cn"), 10).hintingPreference(),
                 QFont::PreferNoHinting);
        const QFont hinted =
            systemfonts::fontOf(systemfonts::faceFor(QStringLiteral("DejaVu Sans"), "zh-cn"), 10);
        QCOMPARE(hinted.hintingPreference(), QFont::PreferDefaultHinting);
        QCOMPARE(hinted.pointSize(), 10);
    }

    // The preloaded catalog is what the window would have read itself, a
    // broken file's copy included, and goes to the first taker only.
    void preloadHandsOverWhatItRead() {
        DataFolder data;
        data.writeCatalog(R"({"type":[{"name":"分类","group":[]},7]})");
        std::optional<CatalogDocument::Loaded> taken;
        {
            StartupPreload preload(data.catalogPath(), QStringLiteral("DejaVu Sans"));
            QVERIFY(!preload.takeCatalog(data.configPath()));
            taken = preload.takeCatalog(data.catalogPath());
            QVERIFY(taken);
            QVERIFY(!preload.takeCatalog(data.catalogPath()));
            QCOMPARE(preload.interfaceFace().family, QStringLiteral("DejaVu Sans"));
        }
        catalog::Document& doc = taken->doc;
        const catalogstore::LoadResult& result = taken->result;
        QCOMPARE(doc["type"][0]["name"].GetString(), "分类");
        QVERIFY(!result.backupPath.isEmpty());
        QCOMPARE(DataFolder::readFile(result.backupPath), data.readCatalog());
        // Edits after the hand-over allocate from the taker's document.
        doc["type"].PushBack(catalog::Value(rapidjson::kObjectType), doc.GetAllocator());
        QCOMPARE(doc["type"].Size(), 2u);

        // Ended whether or not the application started, it ends.
        { StartupPreload unused(data.catalogPath(), QString()); }
        {
            StartupPreload started(data.catalogPath(), QString());
            started.applicationStarted();
        }
    }

    // The settings button's small picture is the large one, only smaller.
    // The button's small picture is shown without decoding: the image is
    // the resource's own uncompressed memory, and only the right size is.
    void settingsPicturesAgree() {
        const QString path = QStringLiteral(":/img/Settings-96.rgba");
        const QImage small = rawPicture(path, 96);
        QCOMPARE(small.size(), QSize(96, 96));
        QCOMPARE(static_cast<const void*>(small.constBits()),
                 static_cast<const void*>(QResource(path).data()));
        QVERIFY(rawPicture(path, 95).isNull());
        QVERIFY(rawPicture(QStringLiteral(":/img/Settings.png"), 96).isNull());
        QVERIFY(rawPicture(QStringLiteral(":/img/none.rgba"), 96).isNull());

        const QImage art = QImage(QStringLiteral(":/img/Settings.png"))
                               .scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage plain = small.convertToFormat(QImage::Format_ARGB32);
        int worst = 0;
        for (int y = 0; y < small.height(); ++y)
            for (int x = 0; x < small.width(); ++x) {
                const QRgb pixel = plain.pixel(x, y);
                worst = qMax(worst, qAbs(qAlpha(pixel) - qAlpha(art.pixel(x, y))));
                // The gear's grey at every edge too: the bytes are premultiplied.
                if (qAlpha(pixel) >= 64)
                    QVERIFY2(qAbs(qRed(pixel) - 0x6a) <= 3, qPrintable(QString::number(qRed(pixel))));
            }
        QVERIFY2(worst <= 32, qPrintable(QString::number(worst)));
    }
};

QTEST_MAIN(TestAppFrame)
#include "test_appframe.moc"

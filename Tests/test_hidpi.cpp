// SPDX-License-Identifier: GPL-3.0-or-later
// The windows at a high scale (QT_SCALE_FACTOR, 2 and 1.5, set for each
// run of this suite): the built-in artwork comes from the @2x images, not
// from the 1x ones blown up, and every window fits on the screen.
#include "app/highdpi.h"
#include "dialogs/formsettings.h"
#include "mainform/mainform.h"

#include "support/datafolder.h"
#include "support/jsontext.h"
#include "support/mainformfixture.h"

#include <QListWidget>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

namespace {

// Mean difference per channel, 0 to 255, of two images of one size.
double distance(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (x.size() != y.size())
        return 255;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q)) +
                   qAbs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * x.width() * x.height());
}

// Scaled as the icon does it: as a pixmap, which Qt 6 keeps premultiplied
// and so smooths a little differently from the image read from the file.
QImage scaledArt(const QString& path, int size) {
    return QPixmap(path).scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).toImage();
}

} // namespace

class TestHighDpi : public QObject {
    Q_OBJECT

public:
    // Before the application object, as main() does.
    static void initMain() { enableHighDpi(); }

private slots:
    void mainWindowScaled() {
        const qreal scale = qApp->devicePixelRatio();
        QVERIFY2(scale >= 1.5, "run with QT_SCALE_FACTOR set");
        DataFolder data;
        data.writeCatalog(json("{'type':[{'name':'T','group':[{'name':'G','item':["
                               "{'name':'web','type':2,'param':'','path':'example.org'},"
                               "{'name':'gone','type':0,'param':'','path':'/nonexistent/tarn/x'}]}]}]}"));
        MainForm form;
        QSignalSpy started(&form, &MainForm::startUpFinished);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!started.isEmpty() || started.wait(5000));
        const QImage shot = form.grab().toImage();
        QVERIFY(qAbs(shot.width() - form.width() * scale) <= 1 &&
                qAbs(shot.height() - form.height() * scale) <= 1);

        auto* grid = form.findChild<QListWidget*>(QStringLiteral("listWidget_item"));
        QVERIFY(grid);
        QCOMPARE(grid->count(), 2);
        const struct {
            int row;
            const char* art;
        } icons[] = {{0, ":/img/Web"}, {1, ":/img/Lost"}};
        for (const auto& icon : icons) {
            // 96 pixels at 2x, 72 at 1.5x: either is more than the 1x art has.
            const int pixels = qRound(48 * scale);
            const QPixmap pixmap = grid->item(icon.row)->icon().pixmap(QSize(48, 48));
            QCOMPARE(pixmap.size(), QSize(pixels, pixels));
            QCOMPARE(pixmap.devicePixelRatio(), scale);
            const QString art = QString::fromLatin1(icon.art);
            const double fromLarge = distance(pixmap.toImage(), scaledArt(art + "@2x.png", pixels));
            const double fromSmall = distance(pixmap.toImage(), scaledArt(art + ".png", pixels));
            QVERIFY2(
                fromLarge < 1 && fromSmall > 4 * fromLarge,
                qPrintable(
                    QStringLiteral("%1: %2 from @2x, %3 from 1x").arg(art).arg(fromLarge).arg(fromSmall)));
        }

        auto* settings = form.findChild<QToolButton*>(QStringLiteral("toolButton_settings"));
        QVERIFY(settings);
        QCOMPARE(settings->icon().pixmap(settings->iconSize()).size(), settings->iconSize() * scale);
    }

    // A 1280 x 1024 screen at 2x leaves 640 x 512 for windows, less than the
    // settings window's own size.
    void settingsWindowLiesOnTheScreen() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        FormSettings* settings = shown.openSettings();
        QVERIFY(settings);
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        const QRect area = settings->screen()->availableGeometry();
        QVERIFY2(area.contains(settings->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                .arg(settings->frameGeometry().x())
                                .arg(settings->frameGeometry().y())
                                .arg(settings->frameGeometry().width())
                                .arg(settings->frameGeometry().height())
                                .arg(area.width())
                                .arg(area.height())));
        settings->close();
    }
};

QTEST_MAIN(TestHighDpi)
#include "test_hidpi.moc"

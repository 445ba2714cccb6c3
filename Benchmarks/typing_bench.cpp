// SPDX-License-Identifier: GPL-3.0-or-later
// One keystroke in the real main window over 100,000 Items: from the key
// press on the focused widget to the results' first screenful of cells in
// the grid (search, cells and icons; the paint follows in the next frame).
// Prints the median and the slowest keystroke over a few typed queries, and
// the slowest of the first keystrokes typed right after start (as the
// window appears, and as start-up's last turn begins the first index).
#include "catalog/catalogedit.h"
#include "catalog/catalogstore.h"
#include "mainform/mainform.h"

#include "benchsupport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kItems = 100000;

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir root;
    enterRunFolder(root);

    // Existing files, so the cells get real system icons.
    QStringList files;
    QDirIterator it(QStringLiteral("/usr/bin"), QDir::Files);
    while (it.hasNext() && files.size() < 500)
        files << it.next();

    NameMaker names(11);
    catalog::Document doc;
    fillTenByTen(doc, kItems, [&](int, catalog::Allocator& a) {
        const QString name = names.name();
        return catalog::droppedItem(name, 0, files[int(names.next() % unsigned(files.size()))], a);
    });
    catalogstore::save(root.filePath(QStringLiteral("Data/Data")), doc);

    // Right after start: the first keystrokes, before the first index.
    std::vector<double> firstKeys;
    for (int round = 0; round < 5; ++round) {
        for (const bool afterStartUp : {false, true}) {
            MainForm fresh;
            bool startedUp = false;
            QObject::connect(&fresh, &MainForm::startUpFinished, [&] { startedUp = true; });
            fresh.show();
            if (!QTest::qWaitForWindowExposed(&fresh))
                return 1;
            if (afterStartUp && !QTest::qWaitFor([&] { return startedUp; }))
                return 1;
            for (const char c : {'w', 'd'}) {
                QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &fresh;
                QElapsedTimer clock;
                clock.start();
                QTest::keyClick(focus, c);
                firstKeys.push_back(clock.nsecsElapsed() / 1e6);
            }
        }
    }

    MainForm form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    auto* field = form.findChild<QLineEdit*>(QStringLiteral("lineEdit_search"));
    auto* results = form.findChild<QListWidget*>(QStringLiteral("listWidget_result"));
    // The index is built once, after start-up; wait for it as a user would.
    QTest::qWait(500);

    const char* const queries[] = {"wendang", "wd", "qqyy", "visual studio", "vsc", "yinyue", "zhq", "note"};
    std::vector<double> keystrokes;
    std::vector<double> keystrokesCpu;
    int cells = 0;
    for (int round = 0; round < 3; ++round) {
        for (const char* query : queries) {
            for (const char* c = query; *c; ++c) {
                QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
                QElapsedTimer clock;
                const double cpu = threadCpuMs();
                clock.start();
                QTest::keyClick(focus, *c);
                const double ms = clock.nsecsElapsed() / 1e6;
                if (round > 0) {
                    keystrokes.push_back(ms);
                    keystrokesCpu.push_back(threadCpuMs() - cpu);
                }
                cells = std::max(cells, results->count());
                QCoreApplication::processEvents();
            }
            QTest::keyClick(field, Qt::Key_Escape);
            QCoreApplication::processEvents();
        }
    }
    std::printf("keystroke_median_ms %.2f\nkeystroke_max_ms %.2f\nkeystroke_cpu_median_ms %.2f\n"
                "keystroke_cpu_max_ms %.2f\nfirst_screenful_cells %d\nfirst_after_start_max_ms %.2f\n"
                "first_after_start_median_ms %.2f\n",
                median(keystrokes), *std::max_element(keystrokes.begin(), keystrokes.end()),
                median(keystrokesCpu), *std::max_element(keystrokesCpu.begin(), keystrokesCpu.end()), cells,
                *std::max_element(firstKeys.begin(), firstKeys.end()), median(firstKeys));
    return 0;
}

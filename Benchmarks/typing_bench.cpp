// SPDX-License-Identifier: GPL-3.0-or-later
// One keystroke in the real main window over 100,000 Items: from the key
// press on the focused widget to the results' first screenful of cells in
// the grid (search, cells and icons; the paint follows in the next frame).
// Prints the median and the slowest keystroke over a few typed queries.
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
#include <ctime>
#include <random>

namespace {

constexpr int kItems = 100000;

const char* const kChinese[] = {"文档",   "音乐",   "浏览器", "设置", "管理", "工具",
                                "编辑器", "银行",   "重庆",   "微信", "视频", "下载",
                                "播放器", "计算器", "相册",   "地图", "邮件", "日历"};
const char* const kAscii[] = {"Visual", "Studio", "Code",   "Chrome",   "Firefox", "Notepad",
                              "Office", "Word",   "Excel",  "Terminal", "Player",  "Manager",
                              "Editor", "Git",    "Python", "Steam"};
const char* const kMixed[] = {"QQ", "WPS", "360", "PS", "VS", "PDF"};

// This thread's processor time, which a busy machine does not inflate.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

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

    std::mt19937 rng(11);
    auto pick = [&rng](const auto& list) { return QString::fromUtf8(list[rng() % std::size(list)]); };
    catalog::Document doc;
    doc.SetObject();
    auto& a = doc.GetAllocator();
    catalog::Value types(rapidjson::kArrayType);
    for (int t = 0; t < 10; ++t) {
        catalog::Value type = catalog::defaultType(a);
        for (int g = 1; g < 10; ++g)
            type["group"].PushBack(catalog::newGroup(a), a);
        for (int g = 0; g < 10; ++g) {
            for (int i = 0; i < kItems / 100; ++i) {
                QString name;
                switch (rng() % 3) {
                case 0:
                    name = pick(kChinese) + pick(kChinese);
                    break;
                case 1:
                    name = pick(kAscii) + QLatin1Char(' ') + pick(kAscii);
                    break;
                default:
                    name = pick(kMixed) + pick(kChinese);
                }
                if (rng() % 2)
                    name += QString::number(rng() % 1000);
                type["group"][g]["item"].PushBack(
                    catalog::droppedItem(name, 0, files[int(rng() % files.size())], a), a);
            }
        }
        types.PushBack(type, a);
    }
    doc.AddMember("type", types, a);
    catalogstore::save(root.filePath(QStringLiteral("Data/Data")), doc);

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
                const double cpu = cpuMs();
                clock.start();
                QTest::keyClick(focus, *c);
                const double ms = clock.nsecsElapsed() / 1e6;
                if (round > 0) {
                    keystrokes.push_back(ms);
                    keystrokesCpu.push_back(cpuMs() - cpu);
                }
                cells = std::max(cells, results->count());
                QCoreApplication::processEvents();
            }
            QTest::keyClick(field, Qt::Key_Escape);
            QCoreApplication::processEvents();
        }
    }
    std::printf("keystroke_median_ms %.2f\nkeystroke_max_ms %.2f\nkeystroke_cpu_median_ms %.2f\n"
                "keystroke_cpu_max_ms %.2f\nfirst_screenful_cells %d\n",
                median(keystrokes), *std::max_element(keystrokes.begin(), keystrokes.end()),
                median(keystrokesCpu), *std::max_element(keystrokesCpu.begin(), keystrokesCpu.end()), cells);
    return 0;
}

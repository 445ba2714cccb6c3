// SPDX-License-Identifier: GPL-3.0-or-later
// The write that follows an edit, against the clock: from an edit (a new
// Type) to the catalog file replaced on disk. Prints the median and the
// slowest of 7 rounds, then how long the GUI thread was held by the write
// (the longest turn of the event loop from 0.9 s after the edit on, when
// nothing but the write is due): median wall clock and thread CPU time, ms.
//   autosave_bench [CATALOG]   start from a copy of CATALOG (default: none)
#include "mainform/mainform.h"

#include "benchsupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace {

// The file's identity: an atomic replace gives it a new inode.
ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir root;
    const QString catalogPath = enterRunFolder(root);
    if (argc > 1 && !QFile::copy(QString::fromLocal8Bit(argv[1]), catalogPath))
        return 2;
    MainForm form;

    QVector<double> delays, heldWall, heldCpu;
    for (int round = 0; round < 7; ++round) {
        const ino_t before = inodeOf(catalogPath);
        QElapsedTimer clock;
        clock.start();
        QMetaObject::invokeMethod(&form, "jsonTypeItmeAdd");
        double wall = 0, cpu = 0;
        while (inodeOf(catalogPath) == before && clock.elapsed() < 10000) {
            const qint64 start = clock.nsecsElapsed();
            const double startCpu = threadCpuMs();
            QCoreApplication::processEvents();
            if (start >= 900000000) {
                wall = std::max(wall, (clock.nsecsElapsed() - start) / 1e6);
                cpu = std::max(cpu, threadCpuMs() - startCpu);
            }
            QThread::usleep(200);
        }
        delays << clock.nsecsElapsed() / 1e6;
        heldWall << wall;
        heldCpu << cpu;
        // The write's end is reported back in a later turn.
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents();
            QThread::usleep(1000);
        }
    }
    const double slowest = *std::max_element(delays.begin(), delays.end());
    std::printf("%.1f %.1f %.2f %.2f\n", median(delays), slowest, median(heldWall), median(heldCpu));
    return 0;
}

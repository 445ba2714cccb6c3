// SPDX-License-Identifier: GPL-3.0-or-later
// The write that follows an edit, against the clock: from an edit (a new
// Type) to the catalog file replaced on disk. Prints the median and the
// slowest of 7 rounds in ms.
//   autosave_bench [CATALOG]   start from a copy of CATALOG (default: none)
#include "mainform/mainform.h"

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
    QDir(root.path()).mkdir(QStringLiteral("Data"));
    QDir(root.path()).mkdir(QStringLiteral("run"));
    const QString catalogPath = root.filePath(QStringLiteral("Data/Data"));
    if (argc > 1 && !QFile::copy(QString::fromLocal8Bit(argv[1]), catalogPath))
        return 2;
    QDir::setCurrent(root.filePath(QStringLiteral("run")));
    MainForm form;

    QVector<double> delays;
    for (int round = 0; round < 7; ++round) {
        const ino_t before = inodeOf(catalogPath);
        QElapsedTimer clock;
        clock.start();
        QMetaObject::invokeMethod(&form, "jsonTypeItmeAdd");
        while (inodeOf(catalogPath) == before && clock.elapsed() < 10000) {
            QCoreApplication::processEvents();
            QThread::usleep(200);
        }
        delays << clock.nsecsElapsed() / 1e6;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("%.1f %.1f\n", delays[delays.size() / 2], delays.last());
    return 0;
}

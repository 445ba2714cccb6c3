// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/exitsignals.h"
#include "mainform/mainform.h"

#include <QApplication>
#include <QFont>
#include <QSessionManager>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Tarn draws only widgets: Qt's OpenGL integration would cost start-up
    // time and tens of megabytes for nothing.
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("微软雅黑"), 10));
    MainForm window;

    // Whatever ends Tarn besides "退出" (logout, shutdown, a signal) still
    // writes the Catalog and the window size first.
    auto saveOnTheWayOut = [&window] {
        QString error;
        if (!window.saveState(&error))
            std::fprintf(stderr, "Tarn: the catalog could not be written: %s\n", qPrintable(error));
    };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [saveOnTheWayOut](QSessionManager&) { saveOnTheWayOut(); });
    onExitSignals([saveOnTheWayOut] {
        saveOnTheWayOut();
        QCoreApplication::quit();
    });

    window.show();
    return app.exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for start-up: a bare Qt window holding a list, nothing else.
#include <QApplication>
#include <QListWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QListWidget list;
    for (int i = 0; i < 100; ++i)
        list.addItem(QStringLiteral("Item %1").arg(i));
    list.resize(848, 507);
    list.show();
    return app.exec();
}

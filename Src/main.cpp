#include "mainform/mainform.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("微软雅黑"), 10));
    MainForm window;
    window.show();
    return app.exec();
}

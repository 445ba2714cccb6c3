// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what Tarn makes of each desktop entry named on the command line, a
// JSON line each, in the shape the GLib reference prints: whether it is
// loaded as an application, its name, Terminal, Path and the Exec argv with
// the entry's own field codes expanded and no files.
#include "launch/desktopentry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList files = app.arguments().mid(1);
    for (const QString& file : files) {
        const desktopentry::Entry entry = desktopentry::read(file);
        const desktopentry::Command command = desktopentry::commandOf(file);
        QJsonObject line{{"file", file}};
        const bool loaded = command.status == desktopentry::Command::Ready ||
                            command.status == desktopentry::Command::Activate;
        line.insert("loaded", loaded);
        if (loaded) {
            line.insert("name", entry.name);
            line.insert("terminal", entry.terminal);
            line.insert("path", entry.path.isEmpty() ? QJsonValue() : QJsonValue(entry.path));
            QStringList words;
            const desktopentry::FieldValues fields{
                entry.icon, entry.name, QFileInfo(file).absoluteFilePath(), {}};
            if (desktopentry::splitExec(entry.exec, &words, fields))
                line.insert("argv", QJsonArray::fromStringList(words));
        }
        std::printf("%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
    }
    return 0;
}

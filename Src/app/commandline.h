// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// What a start of Tarn asks of the Tarn that runs on the same data folder.
enum class InstanceCommand { None, Show, Hide, Toggle, Quit, ImportApplications };

struct CommandLine {
    InstanceCommand command = InstanceCommand::None;
    // --lang: the language asked for, empty when none was.
    QString language;
    // --data: the folder that holds the catalog and the settings; empty
    // when the build's own layout decides.
    QString dataFolder;
    // --help, --version or a mistake: the parser answers and the start ends.
    bool parserAnswers = false;
};

// The options Tarn takes, with their descriptions.
void describeOptions(QCommandLineParser& parser);
CommandLine parseCommandLine(const QStringList& arguments);

// Lets the parser print the help, the version or the mistake, as
// QCommandLineParser does; needs an application object. Returns the exit code.
int answerCommandLine(const QStringList& arguments);

// The words that travel between two starts of Tarn.
QByteArray commandWord(InstanceCommand command);
InstanceCommand commandFromWord(const QByteArray& word);

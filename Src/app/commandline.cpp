// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include <QCommandLineParser>

#include <cstdio>
#include <iterator>

namespace {

struct Known {
    InstanceCommand command;
    const char* name;
    const char* description;
};

constexpr Known kCommands[] = {
    {InstanceCommand::Show, "show", "Show the window of the running Tarn (starts Tarn when none runs)."},
    {InstanceCommand::Hide, "hide", "Hide the window of the running Tarn."},
    {InstanceCommand::Toggle, "toggle", "Show or hide the window (starts Tarn when none runs)."},
    {InstanceCommand::Quit, "quit", "Write the catalog and end the running Tarn."},
    {InstanceCommand::ImportApplications, "import-applications",
     "Add the installed applications to the catalog of the running Tarn (starts Tarn when none runs)."},
};

// Qt's own options, which the application object takes from the command
// line after Tarn has read it: with a value, then alone.
constexpr const char* kQtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "name",
    "style",       "stylesheet",         "geometry",      "title",   "visual"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

bool named(const QString& option, const char* const* names, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (option == QLatin1String(names[i]))
            return true;
    return false;
}

// The arguments less Qt's own options (-platform xcb, --style=fusion,
// -reverse, ...), so that they are not taken for mistakes.
QStringList withoutQtOptions(const QStringList& arguments) {
    QStringList kept;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("--")) {
            kept << argument;
            continue;
        }
        QString option = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const int equals = option.indexOf(QLatin1Char('='));
        const bool valueAttached = equals >= 0;
        if (valueAttached)
            option.truncate(equals);
        if (named(option, kQtOptionsWithValue, std::size(kQtOptionsWithValue))) {
            if (!valueAttached)
                ++i;
        } else if (!(named(option, kQtFlags, std::size(kQtFlags)) ||
                     option.startsWith(QLatin1String("qmljsdebugger")))) {
            kept << argument;
        }
    }
    return kept;
}

} // namespace

void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Tarn, a desktop quick-launcher. One Tarn runs per data folder; a second start "
                       "hands over to it."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(QStringLiteral("data"),
                                        QStringLiteral("Keep the catalog (Data) and the settings (Config) in "
                                                       "<folder>, made when missing."),
                                        QStringLiteral("folder")));
    for (const Known& known : kCommands)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(known.name), QString::fromLatin1(known.description)));
    parser.addOption(
        QCommandLineOption(QStringLiteral("lang"),
                           QStringLiteral("Show Tarn in this language (zh_CN, en, ...) instead of "
                                          "the one LANGUAGE or the locale names."),
                           QStringLiteral("language")));
}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine result;
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(withoutQtOptions(arguments)) || parser.isSet(QStringLiteral("help")) ||
        parser.isSet(QStringLiteral("help-all")) || parser.isSet(QStringLiteral("version")) ||
        !parser.positionalArguments().isEmpty()) {
        result.parserAnswers = true;
        return result;
    }
    result.dataFolder = parser.value(QStringLiteral("data"));
    if (parser.isSet(QStringLiteral("data")) && result.dataFolder.isEmpty()) {
        result.parserAnswers = true;
        return result;
    }
    int given = 0;
    for (const Known& known : kCommands) {
        if (parser.isSet(QString::fromLatin1(known.name))) {
            result.command = known.command;
            ++given;
        }
    }
    result.language = parser.value(QStringLiteral("lang"));
    // Two commands at once are a mistake, said like any other.
    result.parserAnswers = given > 1;
    return result;
}

int answerCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(withoutQtOptions(arguments)); // ends the process for --help, --version and unknown options
    const char* mistake =
        !parser.positionalArguments().isEmpty() ? "Tarn: unexpected argument.\n"
        : parser.isSet(QStringLiteral("data")) && parser.value(QStringLiteral("data")).isEmpty()
            ? "Tarn: --data needs a folder.\n"
            : "Tarn: give only one of --show, --hide, --toggle, --quit, --import-applications.\n";
    std::fputs(mistake, stderr);
    std::fputs(qPrintable(parser.helpText()), stderr);
    return 1;
}

QByteArray commandWord(InstanceCommand command) {
    for (const Known& known : kCommands)
        if (known.command == command)
            return QByteArray(known.name);
    return QByteArray();
}

InstanceCommand commandFromWord(const QByteArray& word) {
    for (const Known& known : kCommands)
        if (word == known.name)
            return known.command;
    return InstanceCommand::None;
}

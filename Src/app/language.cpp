// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/language.h"

#include <QtGlobal>

namespace language {

namespace {

// "en_US.UTF-8@euro" -> "en"; "zh-Hans" -> "zh"; "C.UTF-8" -> "c".
QString languagePart(const QString& locale) {
    QString part = locale.trimmed().toLower();
    for (const QChar end : {QLatin1Char('.'), QLatin1Char('@'), QLatin1Char('_'), QLatin1Char('-')}) {
        const int at = part.indexOf(end);
        if (at >= 0)
            part.truncate(at);
    }
    return part;
}

QString environment(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

QString messagesLocale() {
    // POSIX order for the messages category: LC_ALL wins, then LC_MESSAGES, then LANG.
    QString messages = environment("LC_ALL");
    if (messages.isEmpty())
        messages = environment("LC_MESSAGES");
    if (messages.isEmpty())
        messages = environment("LANG");
    return messages;
}

QString& rememberedOption() {
    static QString option;
    return option;
}

} // namespace

QString choose(const QString& option, const QString& languageVariable, const QString& messagesLocale) {
    QString named = option.trimmed();
    if (named.isEmpty())
        named = languageVariable.section(QLatin1Char(':'), 0, 0).trimmed();
    if (named.isEmpty())
        named = messagesLocale.trimmed();
    const QString part = languagePart(named);
    if (part.isEmpty() || part == QLatin1String("zh") || part == QLatin1String("c") ||
        part == QLatin1String("posix"))
        return QString::fromLatin1(chinese);
    return QString::fromLatin1(english);
}

QString fromEnvironment(const QString& option) {
    return choose(option, environment("LANGUAGE"), messagesLocale());
}

QStringList lookupOrder(const QString& option, const QString& languageVariable,
                        const QString& messagesLocale) {
    QStringList order;
    if (!option.trimmed().isEmpty()) {
        order << option.trimmed();
    } else {
        for (const QString& entry : languageVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts))
            order << entry.trimmed();
        if (!messagesLocale.trimmed().isEmpty())
            order << messagesLocale.trimmed();
    }
    const QString spoken = choose(option, languageVariable, messagesLocale);
    if (!order.contains(spoken))
        order << spoken;
    return order;
}

void rememberOption(const QString& option) {
    rememberedOption() = option;
}

QStringList lookupOrderFromEnvironment() {
    return lookupOrder(rememberedOption(), environment("LANGUAGE"), messagesLocale());
}

} // namespace language

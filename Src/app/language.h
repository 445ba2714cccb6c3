// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Which language Tarn speaks. The texts in the code are Chinese; any other
// language a user names gets the English translation, the only one there is.
namespace language {

inline constexpr char chinese[] = "zh_CN";
inline constexpr char english[] = "en";

// Picks "zh_CN" or "en" from, in this order: the --lang option, the first
// entry of LANGUAGE, and the locale messages are shown in (LC_ALL,
// LC_MESSAGES, LANG). An empty one passes to the next; a Chinese one, the
// plain C or POSIX locale, or none at all keep the Chinese texts.
QString choose(const QString& option, const QString& languageVariable, const QString& messagesLocale);

// The same, with LANGUAGE and the messages locale read from the environment.
QString fromEnvironment(const QString& option);

// The languages texts Tarn does not translate itself (the names in menu
// entries) are looked up in, best first: the --lang option alone when given,
// else each entry of LANGUAGE and the messages locale; then the language the
// window speaks, so that a C locale still gets the names the window's
// language has.
QStringList lookupOrder(const QString& option, const QString& languageVariable,
                        const QString& messagesLocale);

// --lang as this start of Tarn was given it, for lookupOrderFromEnvironment().
void rememberOption(const QString& option);
QStringList lookupOrderFromEnvironment();

} // namespace language

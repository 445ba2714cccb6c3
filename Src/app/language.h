// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

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

} // namespace language

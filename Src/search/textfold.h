// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What searching treats as the same letter: case, width (ＱＱ is QQ),
// compatibility forms (ﬁ, ①, ㎏) and the marks on Latin, Greek and Cyrillic
// letters (é, Ä, ё) all fold away. Han, kana and Hangul keep their form.
namespace search::textfold {

// Appends the folded form of one code point: none, one or more code units.
void append(char32_t c, QString& out);

QString fold(const QString& text);

} // namespace search::textfold

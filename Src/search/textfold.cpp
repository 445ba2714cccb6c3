// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/textfold.h"

#include <QVector>

namespace search::textfold {

namespace {

// Marks that Latin, Greek and Cyrillic letters decompose into. Others (the
// kana voicing marks) change the letter and are kept.
bool isLetterMark(char32_t c) {
    return c >= 0x300 && c <= 0x36f;
}

bool keepsForm(char32_t c) {
    return (c >= 0x2e80 && c <= 0x9fff && c != 0x3000) || (c >= 0xac00 && c <= 0xd7a3) ||
           (c >= 0xf900 && c <= 0xfaff) || c >= 0x20000;
}

// Letters with no decomposition that people still type without their stroke.
const char* plainLetters(char32_t c) {
    switch (c) {
    case 0xdf: // ß
        return "ss";
    case 0xe6: // æ
        return "ae";
    case 0x153: // œ
        return "oe";
    case 0xf8: // ø
        return "o";
    case 0x142: // ł
        return "l";
    case 0x111: // đ
        return "d";
    case 0x131: // dotless i
        return "i";
    default:
        return nullptr;
    }
}

} // namespace

void append(char32_t c, QString& out) {
    if (c < 0x80) {
        out.append(QChar(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
        return;
    }
    if (keepsForm(c)) {
        out.append(QString::fromUcs4(&c, 1));
        return;
    }
    if (isLetterMark(c))
        return;
    const QChar::Decomposition tag = QChar::decompositionTag(c);
    // Canonical decompositions only for the alphabets whose marks fold away;
    // every compatibility form (fullwidth, ligature, circled, superscript).
    if (tag != QChar::NoDecomposition && (tag != QChar::Canonical || c < 0x2000)) {
        const auto parts = QChar::decomposition(c).toUcs4();
        for (const uint part : parts)
            append(part, out);
        return;
    }
    const char32_t lower = QChar::toCaseFolded(c);
    if (const char* plain = plainLetters(lower)) {
        out.append(QLatin1String(plain));
        return;
    }
    if (lower != c && QChar::decompositionTag(lower) != QChar::NoDecomposition) {
        append(lower, out); // an uppercase letter whose lowercase decomposes
        return;
    }
    out.append(QString::fromUcs4(&lower, 1));
}

QString fold(const QString& text) {
    QString out;
    out.reserve(text.size());
    const auto codePoints = text.toUcs4();
    for (const uint c : codePoints)
        append(c, out);
    return out;
}

} // namespace search::textfold

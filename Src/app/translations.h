// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QCoreApplication;

// Installs the translators for `chosen` ("zh_CN" or "en", as
// language::choose gives), replacing those an earlier call installed:
// Tarn's own texts in English from the built-in :/i18n/tarn_en.qm, and Qt's
// own (the buttons of message boxes and file choosers) from Qt's
// translations folder. Chinese keeps Tarn's texts as written and needs only
// Qt's. Windows built before a call keep the texts they were built with.
// Returns false when a translation it looked for was missing.
bool installTranslations(QCoreApplication& app, const QString& chosen);

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<QTranslator>>& installed() {
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

bool add(QCoreApplication& app, const QString& file, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file, folder) || !app.installTranslator(translator.get()))
        return false;
    installed().push_back(std::move(translator));
    return true;
}

} // namespace

bool installTranslations(QCoreApplication& app, const QString& chosen) {
    for (const auto& translator : installed())
        app.removeTranslator(translator.get());
    installed().clear();

    // Qt 6 renames location() to path(); either gives this Qt's own catalogue.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString qtFolder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    if (chosen == QLatin1String(language::english))
        return add(app, QStringLiteral("tarn_en"), QStringLiteral(":/i18n"));
    // Qt's English texts need no translator; its Chinese ones do.
    return add(app, QStringLiteral("qtbase_") + chosen, qtFolder);
}

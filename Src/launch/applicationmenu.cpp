// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/applicationmenu.h"

#include "launch/desktopentry.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace applicationmenu {

namespace {

const char* const kMainCategories[] = {"AudioVideo", "Development", "Education", "Game",
                                       "Graphics",   "Network",     "Office",    "Science",
                                       "Settings",   "System",      "Utility"};
static_assert(std::size(kMainCategories) == kCategoryCount - 1);

bool shownOn(const desktopentry::Entry& entry, const QStringList& desktops) {
    auto named = [&](const QStringList& list) {
        return std::any_of(desktops.begin(), desktops.end(),
                           [&](const QString& desktop) { return list.contains(desktop); });
    };
    if (!entry.onlyShowIn.isEmpty() && !named(entry.onlyShowIn))
        return false;
    return !named(entry.notShowIn);
}

// The program, when the entry starts it with nothing but files.
QString soleProgram(const desktopentry::Entry& entry, const desktopentry::Command& command) {
    QStringList argv;
    if (command.status != desktopentry::Command::Ready || command.terminal ||
        !desktopentry::splitExec(entry.exec, &argv))
        return QString();
    if (argv.size() > 1)
        return QString();
    return QFileInfo(command.program).canonicalFilePath();
}

// Sorted in the first real language the names were looked up in.
void sortByName(QVector<Application>& applications, const QStringList& languages) {
    QLocale sortLocale = QLocale::c();
    for (const QString& language : languages) {
        const QLocale locale(language.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0));
        if (locale.language() != QLocale::C) {
            sortLocale = locale;
            break;
        }
    }
    QCollator collator(sortLocale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        applications.begin(), applications.end(),
        [&](const Application& a, const Application& b) { return collator.compare(a.name, b.name) < 0; });
}

} // namespace

Category mainCategory(const QStringList& categories) {
    for (const QString& category : categories) {
        if (category == QLatin1String("Audio") || category == QLatin1String("Video"))
            return Category::AudioVideo;
        for (int c = 0; c < kCategoryCount - 1; ++c) {
            if (category == QLatin1String(kMainCategories[c]))
                return Category(c);
        }
    }
    return Category::Other;
}

QStringList currentDesktops() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QVector<Application> scan(const QStringList& applicationFolders, const QStringList& desktops,
                          const QStringList& languages) {
    QVector<Application> found;
    desktopentry::forEachEntry(applicationFolders, [&](const QString& id, const QString& file) {
        const desktopentry::Entry entry = desktopentry::read(file, languages);
        if (!entry.valid || entry.type != QLatin1String("Application") || entry.hidden || entry.noDisplay ||
            !shownOn(entry, desktops))
            return;
        // TryExec and the program itself: what cannot start is not offered.
        const desktopentry::Command command = desktopentry::commandFor(entry, file);
        if (command.status != desktopentry::Command::Ready &&
            command.status != desktopentry::Command::Activate)
            return;
        Application application;
        application.id = id;
        application.file = QFileInfo(file).absoluteFilePath();
        application.name = entry.name.isEmpty() ? QFileInfo(file).completeBaseName() : entry.name;
        application.program = soleProgram(entry, command);
        application.category = mainCategory(entry.categories);
        found << application;
    });
    sortByName(found, languages);
    return found;
}

namespace {

bool isShortcut(const QString& path) {
    return path.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive);
}

QString shortcutId(const QString& relativePath) {
    return relativePath.toLower();
}

} // namespace

QString menuId(const QString& path, const QStringList& roots) {
    const bool shortcut = isShortcut(path);
    if (!desktopentry::isEntryFile(path) && !shortcut)
        return QString();
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    for (const QString& folder : roots) {
        const QString root = QDir::cleanPath(QDir::fromNativeSeparators(folder)) + QLatin1Char('/');
        if (!clean.startsWith(root, shortcut ? Qt::CaseInsensitive : Qt::CaseSensitive))
            continue;
        const QString below = clean.mid(root.size());
        return shortcut ? shortcutId(below) : desktopentry::entryId(below);
    }
    return QString();
}

QVector<Application> scanStartMenu(const QStringList& roots, const QStringList& languages) {
    QVector<Application> found;
    auto add = [&](const QString& id, const QString& file) {
        Application application;
        application.id = id;
        application.file = QFileInfo(file).absoluteFilePath();
        application.name = QFileInfo(file).completeBaseName();
        // The top folder as it is spelt, not as the id spells it.
        for (const QString& root : roots) {
            const QDir top(root);
            if (file.startsWith(top.path() + QLatin1Char('/'))) {
                const QString relative = top.relativeFilePath(file);
                const int slash = relative.indexOf(QLatin1Char('/'));
                if (slash > 0)
                    application.folder = relative.left(slash);
                break;
            }
        }
        found << application;
    };
    desktopentry::forEachMenuFile(roots, QStringLiteral("*.lnk"), &shortcutId, add);
    sortByName(found, languages);
    return found;
}

QStringList startMenuFolders() {
    QStringList roots;
    for (const char* variable : {"APPDATA", "ProgramData"}) {
        const QString base = qEnvironmentVariable(variable);
        if (!base.isEmpty())
            roots << QDir::fromNativeSeparators(base) +
                         QStringLiteral("/Microsoft/Windows/Start Menu/Programs");
    }
    return roots;
}

} // namespace applicationmenu

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/mainformfixture.h"

#include "dialogs/formsettings.h"
#include "mainform/mainform.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QtTest>

MainFormFixture::MainFormFixture(bool withDataFolder) : data(withDataFolder) {}

MainFormFixture::~MainFormFixture() {
    close();
}

void MainFormFixture::close() {
    if (!window)
        return;
    window.reset();
    // A fade of the search field's clear button that was running outlives
    // the window until the animation timer's next tick stops it and hands it
    // to deleteLater: let that tick come and the deletion run, as the event
    // loop of a running Tarn would.
    QTest::qWait(40);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool MainFormFixture::show(const QByteArray& catalogText) {
    // A window shown before goes first, as when Tarn is started again.
    close();
    if (!catalogText.isNull())
        data.writeCatalog(catalogText);
    window = std::make_unique<MainForm>();
    types = window->findChild<QListWidget*>(QStringLiteral("listWidget_type"));
    groups = window->findChild<QListWidget*>(QStringLiteral("listWidget_group"));
    items = window->findChild<QListWidget*>(QStringLiteral("listWidget_item"));
    window->move(0, 0);
    // Shown as the user sees it: the icons and the rest that follow the
    // first frame included.
    QSignalSpy started(window.get(), &MainForm::startUpFinished);
    window->show();
    return QTest::qWaitForWindowExposed(window.get()) && (!started.isEmpty() || started.wait(5000));
}

bool MainFormFixture::triggerAction(const char* name) {
    auto* action = window->findChild<QAction*>(QLatin1String(name));
    if (!QTest::qVerify(action != nullptr, "action", name, __FILE__, __LINE__))
        return false;
    bool inMenu = false;
    // Qt 6 lists the menus among QObjects; Qt 5 has only the widgets' list.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    for (QObject* shown : action->associatedObjects())
#else
    for (QWidget* shown : action->associatedWidgets())
#endif
        inMenu = inMenu || qobject_cast<QMenu*>(shown);
    if (!QTest::qVerify(action->isEnabled() && action->isVisible() && inMenu,
                        "action->isEnabled() && action->isVisible() && inMenu", name, __FILE__, __LINE__))
        return false;
    action->trigger();
    return true;
}

FormSettings* MainFormFixture::openSettings() {
    // A settings window closed earlier deletes itself at the next turn of the
    // event loop, which a test outside one never takes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mouseClick(window->findChild<QAbstractButton*>(QStringLiteral("toolButton_settings")),
                      Qt::LeftButton);
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* settings = qobject_cast<FormSettings*>(widget); settings && settings->isVisible())
            return settings;
    return nullptr;
}

QByteArray MainFormFixture::saved() const {
    window->saveCatalog();
    return data.readCatalog();
}

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

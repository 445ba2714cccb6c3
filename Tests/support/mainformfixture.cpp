// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/mainformfixture.h"

#include "mainform/mainform.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QtTest>

MainFormFixture::MainFormFixture(bool withDataFolder) : data(withDataFolder) {}

MainFormFixture::~MainFormFixture() = default;

bool MainFormFixture::show(const QByteArray& catalogText) {
    // A window shown before goes first, as when Tarn is started again.
    window.reset();
    if (!catalogText.isNull())
        data.writeCatalog(catalogText);
    window = std::make_unique<MainForm>();
    types = window->findChild<QListWidget*>(QStringLiteral("listWidget_type"));
    groups = window->findChild<QListWidget*>(QStringLiteral("listWidget_group"));
    items = window->findChild<QListWidget*>(QStringLiteral("listWidget_item"));
    window->move(0, 0);
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
}

bool MainFormFixture::triggerAction(const char* name) {
    auto* action = window->findChild<QAction*>(QLatin1String(name));
    if (!QTest::qVerify(action != nullptr, "action", name, __FILE__, __LINE__))
        return false;
    bool inMenu = false;
    for (QWidget* widget : action->associatedWidgets())
        inMenu = inMenu || qobject_cast<QMenu*>(widget);
    if (!QTest::qVerify(action->isEnabled() && action->isVisible() && inMenu,
                        "action->isEnabled() && action->isVisible() && inMenu", name, __FILE__, __LINE__))
        return false;
    action->trigger();
    return true;
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

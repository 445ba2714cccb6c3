// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/datafolder.h"

#include <QByteArray>
#include <QStringList>

#include <memory>

class FormSettings;
class MainForm;
class QListWidget;

// The main window as the GUI suites use it: a temporary data folder, the
// window built on it and shown, its three lists, and its menu commands
// reached as a user reaches them. Boxes the window asks while it is built are
// answered by a ModalAnswerer the test makes first.
class MainFormFixture {
public:
    // Without the data folder when `withDataFolder` is false.
    explicit MainFormFixture(bool withDataFolder = true);
    ~MainFormFixture();

    // Writes `catalogText` as the catalog file (unless it is null), builds
    // the window and shows it; false when it never became exposed. Called
    // again, it starts afresh on the same data folder.
    [[nodiscard]] bool show(const QByteArray& catalogText = QByteArray());

    // Destroys the window, if any.
    void close();

    DataFolder data;
    MainForm& form() const { return *window; }
    QListWidget* typeList() const { return types; }
    QListWidget* groupList() const { return groups; }
    QListWidget* itemList() const { return items; }

    // Finds the action named `name` (its member name, e.g. "actItemAdd"),
    // checks that it is enabled and offered in a menu, as a user's menu would
    // show it, and triggers it. False, with the test failed, otherwise.
    [[nodiscard]] bool triggerAction(const char* name);

    // Clicks the window's settings button and returns the settings window it
    // shows, or nullptr.
    FormSettings* openSettings();

    // Writes the Catalog as it is now and reads the file back.
    QByteArray saved() const;

private:
    std::unique_ptr<MainForm> window;
    QListWidget* types = nullptr;
    QListWidget* groups = nullptr;
    QListWidget* items = nullptr;
};

// The entries' texts, top to bottom.
QStringList texts(const QListWidget* list);

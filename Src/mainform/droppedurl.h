// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>

class QUrl;
class QWidget;

// What the URLs dropped on the window become as Items: a web bookmark, or a
// file or folder, a link followed where the user wants it followed, a menu
// entry named as the menu names it. One object per drop: "全部是" holds for
// the rest of it.
class DroppedUrl {
    Q_DECLARE_TR_FUNCTIONS(DroppedUrl)

public:
    struct Item {
        QString name;
        int kind = 0;
        QString path;
    };

    explicit DroppedUrl(QWidget* window) : parent(window) {}
    // Nothing where the user chose to stop the drop.
    std::optional<Item> item(const QUrl& url);

private:
    QWidget* parent;
    bool yesToAll = false;
};

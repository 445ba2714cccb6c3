// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

#include <QDialog>
#include <QFileIconProvider>

#include <memory>

namespace Ui {
class FormAttribute;
}

// Edits one Item field by field. The Item is written only by OK (or
// Return); every other way out leaves it exactly as it was.
class FormAttribute : public QDialog {
    Q_OBJECT

public:
    FormAttribute();
    ~FormAttribute() override;

    // Keeps the Item and the Catalog's allocator and fills the fields.
    void setItemData(catalog::Value* item, catalog::Allocator* allocator);

public slots:
    // "恢复默认": fills the fields again from the Item.
    void setItemData();
    // OK: writes the fields into the Item and accepts.
    void setItemDataDone();
    // "更换": a new path or address, chosen by kind.
    void changePath();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows in the icon label what the grid would draw with `customIcon`.
    void previewIcon(const QString& customIcon);
    // Off, with the reason as its tip, for a menu entry that takes no files.
    void updateParamField();
    QString customPath() const;

    std::unique_ptr<Ui::FormAttribute> ui;
    catalog::Value* item = nullptr;
    catalog::Allocator* allocator = nullptr;
    QFileIconProvider iconProvider;
};

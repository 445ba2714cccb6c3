// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

#include <QDialog>

#include <memory>

namespace Ui {
class FormMove;
}

// Picks where a Group (a Type) or an Item (a Type and one of its Groups) is
// moved to. It only reads the Catalog's "type" array and reports the rows.
class FormMove : public QDialog {
    Q_OBJECT

public:
    FormMove();
    ~FormMove() override;

    // For Group moves, before setTypeData: only a Type is chosen.
    void hideGroupList();
    // Shows the Types and makes the first one (and its first Group) current.
    void setTypeData(const catalog::Value* types);

    int selectedTypeRow = 0;
    int selectedGroupRow = 0;

private slots:
    void move();
    void typeCurrentRowChanged(int index);

private:
    // OK needs a destination: a Type, and for an Item move a Group as well.
    void updateOkButton();

    std::unique_ptr<Ui::FormMove> ui;
    const catalog::Value* types = nullptr; // not owned
};

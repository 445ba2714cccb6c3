// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/formmove.h"

#include "ui_formmove.h"

#include "mainform/framepacer.h"

#include <QStyle>

namespace {

void addCentred(QListWidget* list, const catalog::Value& named) {
    auto* entry = new QListWidgetItem(catalog::memberText(named, catalog::kName));
    entry->setTextAlignment(Qt::AlignCenter);
    list->addItem(entry);
}

} // namespace

FormMove::FormMove() : QDialog(nullptr), ui(new Ui::FormMove) {
    ui->setupUi(this);
    for (QListWidget* list : {ui->listWidget_Type, ui->listWidget_group}) {
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->clear();
    }
    setWindowFlags(Qt::WindowCloseButtonHint);
    connect(ui->pushButton_no, &QPushButton::clicked, this, &FormMove::reject);
    connect(ui->pushButton_ok, &QPushButton::clicked, this, &FormMove::move);
    connect(ui->listWidget_Type, &QListWidget::currentRowChanged, this, &FormMove::typeCurrentRowChanged);
    connect(ui->listWidget_group, &QListWidget::currentRowChanged, this, &FormMove::updateOkButton);
    updateOkButton();
}

FormMove::~FormMove() = default;

void FormMove::hideGroupList() {
    ui->listWidget_group->hide();
    // Narrow, but a window manager keeps to the maximum width: below what
    // the buttons need it cuts them, below the title's room it elides the
    // title ("M…"). The room: the text in bold beside the window manager's
    // icon and three buttons, each about a title bar high.
    QFont bold = font();
    bold.setBold(true);
    const int title = QFontMetrics(bold).horizontalAdvance(windowTitle()) +
                      4 * style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    setFixedWidth(qMax(minimumSizeHint().width(), title));
}

void FormMove::setTypeData(const catalog::Value* typeArray) {
    types = typeArray;
    if (types && types->IsArray())
        for (const catalog::Value& type : types->GetArray())
            addCentred(ui->listWidget_Type, type);
    ui->listWidget_Type->setCurrentRow(0);
    updateOkButton();
}

void FormMove::typeCurrentRowChanged(int index) {
    if (ui->listWidget_group->isHidden())
        return;
    ui->listWidget_group->clear();
    if (const catalog::Value* groups =
            catalog::arrayMember(catalog::elementAt(types, index), catalog::kGroup)) {
        FramePacer pacer(ui->listWidget_group);
        for (const catalog::Value& group : groups->GetArray()) {
            addCentred(ui->listWidget_group, group);
            pacer.entryAdded();
        }
    }
    ui->listWidget_group->setCurrentRow(0);
    updateOkButton();
}

void FormMove::updateOkButton() {
    const bool haveType = ui->listWidget_Type->currentRow() >= 0;
    const bool haveGroup = ui->listWidget_group->isHidden() || ui->listWidget_group->currentRow() >= 0;
    ui->pushButton_ok->setEnabled(haveType && haveGroup);
}

void FormMove::move() {
    if (!ui->pushButton_ok->isEnabled())
        return;
    selectedTypeRow = ui->listWidget_Type->currentRow();
    selectedGroupRow = ui->listWidget_group->currentRow();
    accept();
}

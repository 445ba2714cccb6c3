// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/formattribute.h"

#include "ui_formattribute.h"

#include "catalog/catalogedit.h"
#include "icons/itemicon.h"
#include "launch/launchplan.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>

namespace {
constexpr char kCustomPath[] = "customPath";
} // namespace

FormAttribute::FormAttribute() : QDialog(nullptr), ui(new Ui::FormAttribute) {
    ui->setupUi(this);
    setWindowFlags(Qt::WindowCloseButtonHint);
    ui->label_icon->installEventFilter(this);
    connect(ui->pushButton_no, &QPushButton::clicked, this, &FormAttribute::reject);
    connect(ui->pushButton_default, &QPushButton::clicked, this, qOverload<>(&FormAttribute::setItemData));
    connect(ui->pushButton_yes, &QPushButton::clicked, this, &FormAttribute::setItemDataDone);
    connect(ui->pushButton_change, &QPushButton::clicked, this, &FormAttribute::changePath);
    connect(ui->lineEdit_path, &QLineEdit::textChanged, this, &FormAttribute::updateParamField);
    connect(ui->comboBox_type, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &FormAttribute::updateParamField);
}

FormAttribute::~FormAttribute() = default;

void FormAttribute::setItemData(catalog::Value* itemValue, catalog::Allocator* catalogAllocator) {
    item = itemValue;
    allocator = catalogAllocator;
    setItemData();
}

void FormAttribute::setItemData() {
    if (!item || !item->IsObject())
        return;
    ui->lineEdit_name->setText(catalog::memberText(*item, catalog::kName));
    // A kind outside 0..2 selects no entry.
    ui->comboBox_type->setCurrentIndex(catalog::kindOf(*item));
    ui->lineEdit_path->setText(catalog::memberText(*item, catalog::kPath));
    ui->lineEdit_param->setText(catalog::memberText(*item, catalog::kParam));
    const QString custom = catalog::memberText(*item, catalog::kCustomIcon);
    ui->label_icon->setProperty(kCustomPath, custom);
    previewIcon(custom);
}

void FormAttribute::setItemDataDone() {
    if (!item || !item->IsObject() || !allocator) {
        reject();
        return;
    }
    auto store = [this](const char* name, catalog::Value value) {
        catalog::setMember(*item, name, std::move(value), *allocator);
    };
    store(catalog::kName, catalog::string(ui->lineEdit_name->text(), *allocator));
    store(catalog::kType, catalog::Value(ui->comboBox_type->currentIndex()));
    store(catalog::kPath, catalog::string(ui->lineEdit_path->text(), *allocator));
    store(catalog::kParam, catalog::string(ui->lineEdit_param->text(), *allocator));
    // An Item without "customIcon" never gets one.
    if (item->HasMember(catalog::kCustomIcon))
        store(catalog::kCustomIcon, catalog::string(customPath(), *allocator));
    accept();
}

void FormAttribute::changePath() {
    const QString start = ui->lineEdit_path->text();
    QString chosen;
    switch (ui->comboBox_type->currentIndex()) {
    case catalog::KindFile:
        chosen = QFileDialog::getOpenFileName(this, tr("选择新文件"), start);
        break;
    case catalog::KindFolder:
        chosen = QFileDialog::getExistingDirectory(this, tr("选择新路径"), start, QFileDialog::ShowDirsOnly);
        break;
    case catalog::KindWeb:
        //: The title of the box that asks for a web address.
        chosen = QInputDialog::getText(this, tr("输入"), tr("输入一个可用网址"), QLineEdit::Normal, start,
                                       nullptr, Qt::WindowCloseButtonHint);
        break;
    default:
        break;
    }
    if (chosen.isEmpty())
        return;
    ui->lineEdit_path->setText(chosen);
    previewIcon(chosen);
}

bool FormAttribute::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->label_icon && event->type() == QEvent::MouseButtonPress) {
        const QString chosen =
            QFileDialog::getOpenFileName(this, tr("选择一个资源文件"), ui->lineEdit_path->text());
        if (!chosen.isEmpty()) {
            ui->label_icon->setProperty(kCustomPath, chosen);
            previewIcon(chosen);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormAttribute::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        reject();
    else if (event->key() == Qt::Key_Return)
        setItemDataDone();
}

void FormAttribute::previewIcon(const QString& customIcon) {
    const QIcon icon =
        itemIcon(ui->comboBox_type->currentIndex(), ui->lineEdit_path->text(), customIcon, iconProvider);
    ui->label_icon->setPixmap(icon.pixmap(48, 48));
}

void FormAttribute::updateParamField() {
    // What is typed stays stored: the field only shows that it goes unused.
    const bool takes = launch::takesParam(ui->comboBox_type->currentIndex(), ui->lineEdit_path->text());
    ui->lineEdit_param->setEnabled(takes);
    ui->lineEdit_param->setToolTip(takes ? QString() : tr("这个菜单项不接受文件或网址，参数不会传给它。"));
}

QString FormAttribute::customPath() const {
    return ui->label_icon->property(kCustomPath).toString();
}

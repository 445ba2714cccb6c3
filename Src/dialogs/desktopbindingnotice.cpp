// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/desktopbindingnotice.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>

QString desktopBindingText() {
    return QCoreApplication::translate(
        "DesktopBindingNotice", "当前桌面不允许 Tarn 自行注册全局热键。请在桌面系统设置的键盘快捷键中添加一个"
                                "自定义快捷键，运行下面的命令来显示或隐藏 Tarn：");
}

QString withoutTrayText() {
    return QCoreApplication::translate("DesktopBindingNotice",
                                       "没有托盘图标：按这个快捷键或再次启动 Tarn 可唤回窗口；按 %1，"
                                       "或右键点击窗口空白处选择“退出”，可退出 Tarn。")
        .arg(QKeySequence(Qt::CTRL | Qt::Key_Q).toString(QKeySequence::NativeText));
}

QMessageBox* showDesktopBindingNotice(QWidget* parent, const QString& hotkeyText, const QString& command,
                                      bool withoutTray) {
    auto* box = new QMessageBox(
        QMessageBox::Information, QCoreApplication::translate("DesktopBindingNotice", "提示"),
        QCoreApplication::translate("DesktopBindingNotice", "显示隐藏热键( %1 )没有注册。").arg(hotkeyText) +
            QLatin1Char('\n') + desktopBindingText() + QLatin1String("\n\n") + command,
        QMessageBox::NoButton, parent);
    box->setObjectName(QStringLiteral("desktopBindingNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (withoutTray)
        box->setInformativeText(withoutTrayText());
    QPushButton* copy = box->addButton(QCoreApplication::translate("DesktopBindingNotice", "复制命令"),
                                       QMessageBox::ActionRole);
    box->addButton(QCoreApplication::translate("DesktopBindingNotice", "已知晓"), QMessageBox::AcceptRole);
    QObject::connect(copy, &QPushButton::clicked, box,
                     [command] { QGuiApplication::clipboard()->setText(command); });
    box->show();
    return box;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainform/writereporter.h"

#include <QDir>
#include <QMessageBox>

void WriteReporter::report(CatalogDocument::Outcome outcome, const QString& error, const QString& keptCopy) {
    using Outcome = CatalogDocument::Outcome;
    switch (outcome) {
    case Outcome::Written:
        failureShown = false;
        break;
    case Outcome::NotNeeded:
        break;
    case Outcome::Failed:
        if (!failureShown) {
            failureShown = true;
            QMessageBox::warning(parent, tr("警告"), tr("配置文件保存失败：%1").arg(error));
        }
        break;
    case Outcome::CannotOpen:
        if (!cannotOpenShown) {
            cannotOpenShown = true;
            QMessageBox::warning(parent, tr("警告"), error);
        }
        break;
    }
    tellKeptCopy(keptCopy);
}

void WriteReporter::tellKeptCopy(const QString& keptCopy) {
    if (keptCopy.isEmpty())
        return;
    QMessageBox::information(parent, tr("提示"),
                             tr("配置文件在 Tarn 之外被修改过。那个版本已保留在：\n%1\n"
                                "Tarn 的内容已写入配置文件。")
                                 .arg(QDir::toNativeSeparators(keptCopy)));
}

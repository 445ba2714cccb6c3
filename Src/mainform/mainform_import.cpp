// SPDX-License-Identifier: GPL-3.0-or-later
// Filling the catalog with the installed applications.
#include "mainform/mainform.h"

#include "ui_mainform.h"

#include "catalog/catalogimport.h"
#include "mainform/applicationimport.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

ApplicationImport& MainForm::importer() {
    if (!applicationImport) {
        applicationImport = new ApplicationImport(document, this);
        connect(applicationImport, &ApplicationImport::imported, this, &MainForm::applicationsImported);
    }
    return *applicationImport;
}

void MainForm::importApplications() {
    // Asked for from a menu or the link: the outcome is told.
    importer().start(true);
}

void MainForm::applicationsImported(int importedRow) {
    const int shown = ui->listWidget_type->currentRow();
    fillTypeList();
    const int count = ui->listWidget_type->count();
    ui->listWidget_type->setCurrentRow(importedRow >= 0 ? importedRow : qBound(0, shown, count - 1));
    updateImportLink();
}

void MainForm::updateImportLink() {
    const bool offered = catalog::isUntouchedStart(document.doc());
    if (!offered) {
        if (importLink)
            importLink->hide();
        return;
    }
    if (!importLink) {
        // Below the hint, which is painted in the middle of the grid.
        QWidget* viewport = ui->listWidget_item->viewport();
        importLink = new QLabel(viewport);
        importLink->setObjectName(QStringLiteral("label_importApplications"));
        importLink->setText(
            QStringLiteral("<a href=\"import\">%1</a>").arg(tr("导入应用程序…").toHtmlEscaped()));
        importLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(importLink, &QLabel::linkActivated, this, &MainForm::importApplications);
        auto* layout = new QVBoxLayout(viewport);
        layout->addStretch(1);
        layout->addSpacing(4 * fontMetrics().height());
        layout->addWidget(importLink, 0, Qt::AlignHCenter);
        layout->addStretch(1);
    }
    importLink->show();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogimport.h"
#include "desktop/applicationscan.h"

#include <QObject>
#include <QTimer>

class CatalogDocument;
class QWidget;

// "导入应用程序…" and Tarn --import-applications: reads the installed
// applications on a thread, adds the new ones to the catalog as one edit,
// and asks once about the Items whose applications are gone. The window
// keeps painting meanwhile; a scan that takes long shows a busy pointer.
class ApplicationImport : public QObject {
    Q_OBJECT

public:
    // Boxes are shown over `window`.
    ApplicationImport(CatalogDocument& document, QWidget* window);

    // `tell`: say in a box what was done (a user's command; a script that
    // starts Tarn is told nothing but what needs an answer).
    void start(bool tell);
    bool isRunning() const { return scan.isRunning(); }

    // The Type and the Groups in the window's language.
    static catalog::ImportNames names();

signals:
    // The catalog changed: the lists follow, showing the Type at `typeRow`.
    void imported(int typeRow);

private:
    void scanned(const QVector<applicationmenu::Application>& applications);
    void askAboutGone();
    void setBusy(bool on);

    CatalogDocument& document;
    QWidget* const window;
    ApplicationScan scan;
    QTimer busyDelay;
    QStringList folders;
    bool tell = false;
    bool busy = false;
};

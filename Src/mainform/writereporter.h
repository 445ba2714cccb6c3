// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogdocument.h"

#include <QCoreApplication>
#include <QString>

class QWidget;

// What a write of the catalog leaves the user to know, said without
// nagging: a failure once until a write succeeds again, edits that cannot be
// written at all once per run, a version from elsewhere kept aside once per
// copy.
class WriteReporter {
    Q_DECLARE_TR_FUNCTIONS(WriteReporter)

public:
    explicit WriteReporter(QWidget* window) : parent(window) {}

    void report(CatalogDocument::Outcome outcome, const QString& error, const QString& keptCopy);
    void tellKeptCopy(const QString& keptCopy);

private:
    QWidget* parent;
    bool failureShown = false;
    bool cannotOpenShown = false;
};

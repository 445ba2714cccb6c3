// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>
#include <QWidget>

#include <memory>

namespace Ui {
class FormSettings;
}

// The settings window: About, Actions (where the window appears, hiding
// after a launch) and Keys (the show/hide hotkey). Each working tab stores
// only its own keys, with their mirrors, when its "应用" is pressed.
class FormSettings : public QWidget {
    Q_OBJECT

public:
    explicit FormSettings(QWidget* parent = nullptr);
    ~FormSettings() override;

    // The About text, with links to documents that ship with Tarn.
    static QString aboutHtml();

signals:
    void hotKeyReset();

private slots:
    void settingShowAndHide();
    void settingFormPos();
    void openLinks(const QUrl& _url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::FormSettings> ui;
};

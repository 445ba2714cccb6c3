// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>
#include <QWidget>

#include <memory>

class QScrollArea;

namespace Ui {
class FormSettings;
}

// The settings window: About, Actions (where the window appears, hiding
// after a launch, starting at login) and Keys (the show/hide hotkey). Each working tab stores
// only its own keys, with their mirrors, when its "应用" is pressed.
class FormSettings : public QWidget {
    Q_OBJECT

public:
    explicit FormSettings(QWidget* parent = nullptr);
    ~FormSettings() override;

    // The About text, with links to documents that ship with Tarn.
    static QString aboutHtml();

    // Shrinks the window to `room` where it is larger (a small screen, a
    // large scale); the tabs then scroll.
    void fitInto(const QSize& room);

    // Shows, in the key tab, that the desktop must bind a key to `command`
    // (Tarn --toggle) because Tarn cannot register one; empty hides it.
    void showDesktopBinding(const QString& command);

    // Where the desktop binds the key itself (its portal), the key it bound
    // is the one that works, whatever the key editor holds.
    enum class DesktopKey { None, Asking, Bound };
    // Shows, beside the key editor, that key as the desktop describes it.
    void showDesktopKey(DesktopKey state, const QString& triggerDescription);

signals:
    void hotKeyReset();
    // The key editor took (true) or lost (false) the keyboard focus: while
    // it records, the hotkey must reach it instead of being grabbed.
    void hotKeyRecording(bool recording);

private slots:
    void settingShowAndHide();
    void settingFormPos();
    void openLinks(const QUrl& _url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Writes or removes the login entry when the box differs from it.
    bool applyAutostart();

    std::unique_ptr<Ui::FormSettings> ui;
    QScrollArea* scroller = nullptr; // once the window had to shrink
};

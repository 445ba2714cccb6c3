// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkey/globalhotkey.h"
#include "hotkey/hotkeyrule.h"

GlobalHotkey::GlobalHotkey(const QKeySequence& keys, bool autoRegister, QObject* parent)
    : QObject(parent), sequence(keys) {
    if (!sequence.isEmpty() && firstCombination(sequence) != 0)
        backend = createBackend(sequence, this);
    if (autoRegister)
        setRegistered(true);
}

GlobalHotkey::~GlobalHotkey() {
    if (backend)
        backend->release();
}

void GlobalHotkey::setParentWindow(std::function<WId()> window) {
    if (backend)
        backend->setParentWindow(std::move(window));
}

bool GlobalHotkey::isRegistered() const {
    return backend && backend->isGrabbed();
}

bool GlobalHotkey::isPending() const {
    return backend && backend->isPending();
}

bool GlobalHotkey::needsDesktopBinding() const {
    return backend && backend->needsDesktopBinding();
}

bool GlobalHotkey::isBoundByDesktop() const {
    return backend && backend->isBoundByDesktop();
}

QString GlobalHotkey::triggerDescription() const {
    return backend ? backend->triggerDescription() : QString();
}

bool GlobalHotkey::setRegistered(bool registered) {
    const bool before = isRegistered();
    if (backend && registered != before) {
        if (registered)
            backend->grab();
        else
            backend->release();
    }
    if (isRegistered() != before)
        emit registeredChanged(isRegistered());
    return isRegistered();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

// Lets the event loop run while a list fills, so it paints progressively,
// but at most once per frame rather than after every entry: a long rebuild
// then costs a few repaints instead of one per entry. The first entry is
// always followed by a turn, so it is on screen within one frame. User input
// waits until the rebuild is done.
class FramePacer {
public:
    // `filled`: the widget being filled; while its window is not on screen
    // there is nothing to paint and no turn is taken.
    explicit FramePacer(const QWidget* filled) : shownIn(filled) { clock.start(); }

    void entryAdded() {
        if (!shownIn->isVisible() || (!first && clock.elapsed() < kFrameMs))
            return;
        first = false;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        clock.restart();
    }

private:
    static constexpr qint64 kFrameMs = 16;
    const QWidget* shownIn;
    QElapsedTimer clock;
    bool first = true;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// The fake GlobalShortcuts portal as a program of its own, for a Tarn started
// as a separate process. It prints "bound <id> <preferred trigger>" for each
// binding it grants and, for each "activate" line on its input, emits
// Activated for the last shortcut bound.
#include "support/fakeportal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    FakePortal portal;
    if (!portal.publish()) {
        std::fprintf(stderr, "fakeportal: cannot take the portal's name on the bus\n");
        return 1;
    }
    QObject::connect(&portal, &FakePortal::bindingAsked, [&portal] {
        const PortalShortcutEntry& entry = portal.bindings.last().shortcuts.value(0);
        std::printf("bound %s %s\n", qPrintable(entry.id),
                    qPrintable(entry.properties.value(QStringLiteral("preferred_trigger")).toString()));
        std::fflush(stdout);
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[256];
        const ssize_t size = read(STDIN_FILENO, line, sizeof line);
        if (size <= 0) {
            app.quit(); // the test is gone
            return;
        }
        for (ssize_t i = 0; i < size; ++i)
            if (line[i] == '\n' && !portal.bindings.isEmpty())
                portal.activate(portal.bindings.last().session, portal.bindings.last().shortcuts.value(0).id);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Rejects any modal box left unanswered for a few seconds and says so, so a
// box nobody expected fails its test instead of hanging the suite.
void installModalWatchdog();

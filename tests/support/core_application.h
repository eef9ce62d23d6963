// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Qt event loop in tests. Tests that deliver Qt events (device completions) need one
// QCoreApplication for the whole test program: EnsureCoreApplication creates it on first use and it
// lives until the program ends. WaitUntil runs the event loop until a condition holds or a timeout
// passes, for completions posted by another thread.
#include <functional>

class QCoreApplication;

QCoreApplication& EnsureCoreApplication();
// Processes events until `condition` is true (checked after every burst of
// events and at least every few milliseconds); false on timeout.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

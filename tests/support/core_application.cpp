// SPDX-License-Identifier: GPL-3.0-or-later
// The test programs' single QCoreApplication and the condition wait.
#include "support/core_application.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

QCoreApplication& EnsureCoreApplication() {
  if (QCoreApplication* existing = QCoreApplication::instance()) return *existing;
  static int argc = 1;
  static char name[] = "snipola-test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
  return application;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  QCoreApplication::sendPostedEvents();
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    // Look again at least every 5 ms; posted events wake the loop sooner.
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents();
  }
  return true;
}

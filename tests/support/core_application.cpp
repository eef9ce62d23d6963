// The test programs' single QCoreApplication, made on first use.
#include "support/core_application.h"

#include <QCoreApplication>

QCoreApplication& EnsureCoreApplication() {
  if (QCoreApplication* existing = QCoreApplication::instance()) return *existing;
  static int argc = 1;
  static char name[] = "snipola-test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
  return application;
}

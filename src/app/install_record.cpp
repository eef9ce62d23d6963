// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the install record's "Path" value; see install_record.h.
#include "app/install_record.h"

#include <QSettings>

void WriteInstallPath(const std::string& executablePath) {
  QSettings record(QSettings::NativeFormat, QSettings::SystemScope, "Varnell", "Snipola");
  record.setValue("Path", QString::fromStdString(executablePath));
  record.sync();
}

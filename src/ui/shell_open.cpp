// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file or web address with the desktop's default program; see shell_open.h.
#include "ui/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

bool ShellOpen(const QString& target) {
  const bool web = target.startsWith(u"http://") || target.startsWith(u"https://");
  return QDesktopServices::openUrl(web ? QUrl(target) : QUrl::fromLocalFile(target));
}

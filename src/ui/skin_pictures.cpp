// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the compiled-in skin pictures; see skin_pictures.h.
#include "ui/skin_pictures.h"

QPixmap MainSkinPicture() { return QPixmap(QStringLiteral(":/skin/main.png")); }
QPixmap TrackBarPicture() { return QPixmap(QStringLiteral(":/skin/track_bar.png")); }
QPixmap TrackButtonPicture() { return QPixmap(QStringLiteral(":/skin/track_button.png")); }
QPixmap SelectionPicture() { return QPixmap(QStringLiteral(":/skin/selection.png")); }
QPixmap AboutSkinPicture() { return QPixmap(QStringLiteral(":/skin/about.png")); }

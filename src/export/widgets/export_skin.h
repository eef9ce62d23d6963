// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The export dialog's skin picture, drawn in code: 240 x 200, dark grey
// panels inside a light bevelled frame, a 20-pixel title strip with "Export
// to" at its left and a close cross over the close area (x 221..231) at its
// right end, and a sunken inner panel behind the controls.
#include <QPixmap>

inline constexpr int kExportSkinWidth = 240;
inline constexpr int kExportSkinHeight = 200;

QPixmap MakeExportSkin();

// The same look for another dialog: `width` x `height`, `title` in the strip,
// the close cross over x width-19 .. width-9.
QPixmap MakeDialogSkin(int width, int height, const char* title);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The skin pictures of the main window, compiled in from assets/skin (see the
// generator there): the 400 x 210 background with the title strip, the track
// (370 x 15), the seek handle (30 x 15) and the selection bar (2 pixels high,
// stretched to the marked width), and the about box's 240 x 120 picture with
// the program's version. LoadSnipolaResources() must have run.
#include <QPixmap>

QPixmap MainSkinPicture();
QPixmap TrackBarPicture();
QPixmap TrackButtonPicture();
QPixmap SelectionPicture();
QPixmap AboutSkinPicture();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ImageList1: the 14 button faces of 20 x 20 pixels shared by the main window,
// the export dialog and the about box. Index roles: 0 open, 1 go to begin or
// mark begin, 2 play, 3 pause, 4 stop, 5 go to end or mark end, 6 mark begin,
// 7 mark end, 8 mark all, 9 cut out, 10 go, 11 go (pointer over it), 12 cancel,
// 13 cancel (pointer over it).
#include <QPixmap>

inline constexpr int kImageListCount = 14;
inline constexpr int kImageListFaceSize = 20;

// The face at `index` (0..13); an empty pixmap for any other index.
QPixmap ImageListFace(int index);

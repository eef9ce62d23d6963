// SPDX-License-Identifier: GPL-3.0-or-later
// Draws Snipola's skin pictures and writes them as PNG files: the main
// window's background (400 x 210), the 14 button faces of ImageList1 as one
// 280 x 20 strip, the track (370 x 15), the seek handle (30 x 15) and the
// selection bar (8 x 2, stretched at run time). Those PNGs are committed next
// to this file and compiled into the program through snipola.qrc; run this
// tool again after changing a drawing:
//
//   cmake --build build --target snipola-skin-generator
//   QT_QPA_PLATFORM=offscreen build/assets/snipola-skin-generator assets/skin
//
// The about box's picture (240 x 120) carries the program's version and web
// address, which the build passes in as SNIPOLA_VERSION and SNIPOLA_HOMEPAGE
// from project() in CMakeLists.txt; so that the two can never disagree, the build draws that
// picture itself on every build that changes either (`--about FILE`), and it
// is not committed.
//
// Everything is drawn from code (no hand-painted pixels), so colours and
// shapes can be changed here and the pictures regenerated.
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#if !defined(SNIPOLA_VERSION) || !defined(SNIPOLA_HOMEPAGE)
#error "SNIPOLA_VERSION and SNIPOLA_HOMEPAGE must name the program's version and web page"
#endif

namespace {

// The palette of the skin.
const QColor kPanelTop(62, 62, 62);
const QColor kPanelBottom(44, 44, 44);
const QColor kStripTop(78, 78, 78);
const QColor kStripBottom(46, 46, 46);
const QColor kBevelLight(200, 200, 200);
const QColor kBevelMid(128, 128, 128);
const QColor kBevelDark(20, 20, 20);
const QColor kGrooveDark(22, 22, 22);
const QColor kGrooveLight(96, 96, 96);
const QColor kWell(34, 34, 34);
const QColor kSilver(214, 214, 214);
const QColor kShadow(0, 0, 0, 150);
const QColor kAccent(242, 160, 48);
const QColor kAccentDark(176, 104, 20);
const QColor kGroupFill(50, 50, 50);

QImage NewImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// A one-pixel bevel around `r`: `topLeft` on the top and left edges,
// `bottomRight` on the others. Raised with light first, sunken with dark.
void Bevel(QPainter& p, QRect r, QColor topLeft, QColor bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
  p.setPen(bottomRight);
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// A horizontal groove: a dark line with a light line under it.
void Groove(QPainter& p, int x1, int x2, int y) {
  p.setPen(kGrooveDark);
  p.drawLine(x1, y, x2, y);
  p.setPen(kGrooveLight);
  p.drawLine(x1, y + 1, x2, y + 1);
}

// A sunken well for a control, filled darker than the panel.
void Well(QPainter& p, QRect r) {
  p.fillRect(r, kWell);
  Bevel(p, r, kGrooveDark, kGrooveLight);
}

// Fills `path` in the glyph colour with a soft shadow one pixel down-right.
void Glyph(QPainter& p, const QPainterPath& path, QColor colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kShadow);
  p.drawPath(path.translated(1, 1));
  p.setBrush(colour);
  p.drawPath(path);
  p.restore();
}

QPainterPath Rect(qreal x, qreal y, qreal w, qreal h) {
  QPainterPath path;
  path.addRect(x, y, w, h);
  return path;
}

QPainterPath Triangle(QPointF a, QPointF b, QPointF c) {
  QPainterPath path;
  path.moveTo(a);
  path.lineTo(b);
  path.lineTo(c);
  path.closeSubpath();
  return path;
}

// A stroked line turned into a fillable outline.
QPainterPath Stroke(const QPainterPath& line, qreal width) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::RoundCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return stroker.createStroke(line);
}

// ---------------------------------------------------------------------------
// Main window background

void DrawLogo(QPainter& p, int x, int y) {
  // A little waveform of five bars cut through by a slanted blade.
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath plate;
  plate.addRoundedRect(QRectF(x + 0.5, y + 0.5, 13, 13), 3, 3);
  QLinearGradient gradient(x, y, x, y + 14);
  gradient.setColorAt(0, kAccent.lighter(115));
  gradient.setColorAt(1, kAccentDark);
  p.setPen(QPen(QColor(60, 34, 6), 1));
  p.setBrush(gradient);
  p.drawPath(plate);
  const int heights[] = {4, 8, 10, 7, 3};
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 24, 4));
  for (int i = 0; i < 5; ++i) {
    const qreal h = heights[i];
    p.drawRect(QRectF(x + 2.5 + i * 2, y + 7 - h / 2, 1.2, h));
  }
  p.setPen(QPen(QColor(255, 244, 220), 1.3));
  p.drawLine(QPointF(x + 3, y + 12), QPointF(x + 11, y + 2));
  p.restore();
}

void DrawCaptionGlyphs(QPainter& p) {
  // Centres of the four hot areas: X 343..351, 356..364, 371..379, 383..391.
  const int centres[] = {347, 360, 375, 387};
  for (int cx : centres) {
    const QRect plate(cx - 5, 4, 11, 11);
    p.fillRect(plate.adjusted(1, 1, -1, -1), QColor(40, 40, 40));
    Bevel(p, plate, kGrooveDark, kGrooveLight);
  }
  // "!"
  QPainterPath bang = Rect(346, 6, 2, 5);
  bang.addRect(346, 12, 2, 1.6);
  Glyph(p, bang, kSilver);
  // "?"
  QPainterPath hook;
  hook.moveTo(357.6, 7.8);
  hook.cubicTo(357.6, 5.4, 362.4, 5.4, 362.4, 7.8);
  hook.cubicTo(362.4, 9.4, 360.2, 9.4, 360.2, 11.0);
  QPainterPath question = Stroke(hook, 1.5);
  question.addRect(359.4, 12, 1.7, 1.6);
  Glyph(p, question, kSilver);
  // "-"
  Glyph(p, Rect(372, 9, 7, 2), kSilver);
  // "x"
  QPainterPath cross;
  cross.moveTo(384.5, 6.5);
  cross.lineTo(389.5, 11.5);
  cross.moveTo(389.5, 6.5);
  cross.lineTo(384.5, 11.5);
  Glyph(p, Stroke(cross, 1.6), kSilver);
}

void DrawTitle(QPainter& p) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(13);
  font.setBold(true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
  p.setFont(font);
  const QString title = QStringLiteral("Snipola");
  const QFontMetrics metrics(font);
  const int textWidth = metrics.horizontalAdvance(title);
  const int centre = 180;
  const int left = centre - textWidth / 2;
  const int baseline = 15;
  // Two grooved bars, left and right of the title.
  for (int y : {6, 9, 12}) {
    Groove(p, 26, left - 10, y);
    Groove(p, left + textWidth + 8, 334, y);
  }
  p.setPen(QColor(0, 0, 0, 170));
  p.drawText(left + 1, baseline + 1, title);
  p.setPen(kSilver);
  p.drawText(left, baseline, title);
}

QImage DrawMainSkin() {
  QImage image = NewImage(400, 210);
  QPainter p(&image);
  QLinearGradient panel(0, 20, 0, 210);
  panel.setColorAt(0, kPanelTop);
  panel.setColorAt(1, kPanelBottom);
  p.fillRect(image.rect(), panel);
  QLinearGradient strip(0, 0, 0, 20);
  strip.setColorAt(0, kStripTop);
  strip.setColorAt(1, kStripBottom);
  p.fillRect(QRect(0, 0, 400, 20), strip);
  Groove(p, 3, 396, 20);

  // Light bevelled frame: raised outer ring, sunken inner ring.
  Bevel(p, image.rect(), kBevelLight, kBevelDark);
  Bevel(p, image.rect().adjusted(1, 1, -1, -1), kBevelMid, QColor(40, 40, 40));
  Bevel(p, image.rect().adjusted(2, 2, -2, -2), QColor(36, 36, 36), kBevelMid);

  DrawLogo(p, 6, 3);
  DrawTitle(p);
  DrawCaptionGlyphs(p);

  // The track well (the selection bar runs at Y 28..29, the track at 32..46).
  Well(p, QRect(12, 25, 378, 25));

  // Button wells and the grooves that group the buttons.
  Well(p, QRect(16, 55, 22, 19));
  for (int left : {65, 89, 113, 137, 161, 201, 225, 249, 273, 297, 321, 361}) {
    Well(p, QRect(left - 1, 52, 22, 22));
  }
  for (int x : {51, 191, 351}) {
    p.setPen(kGrooveDark);
    p.drawLine(x, 54, x, 73);
    p.setPen(kGrooveLight);
    p.drawLine(x + 1, 54, x + 1, 73);
  }

  // The group boxes are drawn by the window on these panels.
  p.fillRect(QRect(16, 76, 177, 121), kGroupFill);
  p.fillRect(QRect(208, 76, 177, 121), kGroupFill);
  return image;
}

// ---------------------------------------------------------------------------
// Track, handle, selection

QImage DrawTrackBar() {
  QImage image = NewImage(370, 15);
  QPainter p(&image);
  p.fillRect(image.rect(), QColor(28, 28, 28));
  // The groove the handle's centre runs in: from X 15 to 355.
  const QRect groove(13, 6, 344, 4);
  p.fillRect(groove, QColor(12, 12, 12));
  Bevel(p, groove, QColor(8, 8, 8), QColor(88, 88, 88));
  // Ticks every tenth of the track.
  for (int i = 0; i <= 10; ++i) {
    const int x = 15 + i * 34;
    const int top = (i % 5 == 0) ? 1 : 2;
    p.setPen(QColor(96, 96, 96));
    p.drawLine(x, top, x, 4);
    p.drawLine(x, 11, x, 14 - top);
  }
  return image;
}

QImage DrawTrackButton() {
  QImage image = NewImage(30, 15);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient metal(0, 0, 0, 15);
  metal.setColorAt(0, QColor(236, 236, 236));
  metal.setColorAt(0.5, QColor(176, 176, 176));
  metal.setColorAt(1, QColor(112, 112, 112));
  p.setPen(QPen(QColor(16, 16, 16), 1));
  p.setBrush(metal);
  p.drawRoundedRect(QRectF(0.5, 0.5, 29, 14), 3, 3);
  p.setRenderHint(QPainter::Antialiasing, false);
  // Grip lines either side of the amber centre mark, which marks the position.
  for (int x : {8, 10, 19, 21}) {
    p.setPen(QColor(90, 90, 90));
    p.drawLine(x, 4, x, 10);
    p.setPen(QColor(245, 245, 245));
    p.drawLine(x + 1, 4, x + 1, 10);
  }
  p.fillRect(QRect(14, 3, 2, 9), kAccentDark);
  p.fillRect(QRect(14, 3, 1, 9), kAccent);
  return image;
}

QImage DrawSelection() {
  QImage image = NewImage(8, 2);
  QPainter p(&image);
  p.fillRect(QRect(0, 0, 8, 1), kAccent);
  p.fillRect(QRect(0, 1, 8, 1), kAccentDark);
  return image;
}

// ---------------------------------------------------------------------------
// Button faces (20 x 20, transparent, drawn over the skin's wells)

QPainterPath GoToBeginFace() {
  QPainterPath path = Rect(5, 5, 2, 10);
  path.addPath(Triangle({15, 5}, {15, 15}, {7.5, 10}));
  return path;
}

QPainterPath PlayFace() { return Triangle({6.5, 4.5}, {6.5, 15.5}, {15.5, 10}); }

QPainterPath PauseFace() {
  QPainterPath path = Rect(6, 5, 3, 10);
  path.addRect(11, 5, 3, 10);
  return path;
}

QPainterPath StopFace() { return Rect(5.5, 5.5, 9, 9); }

QPainterPath GoToEndFace() {
  QPainterPath path = Rect(13, 5, 2, 10);
  path.addPath(Triangle({5, 5}, {5, 15}, {12.5, 10}));
  return path;
}

QPainterPath BracketOpen(qreal x) {
  QPainterPath line;
  line.moveTo(x + 3, 4.5);
  line.lineTo(x, 4.5);
  line.lineTo(x, 15.5);
  line.lineTo(x + 3, 15.5);
  return Stroke(line, 1.8);
}

QPainterPath BracketClose(qreal x) {
  QPainterPath line;
  line.moveTo(x - 3, 4.5);
  line.lineTo(x, 4.5);
  line.lineTo(x, 15.5);
  line.lineTo(x - 3, 15.5);
  return Stroke(line, 1.8);
}

void DrawFace(QPainter& p, int index, const std::function<void(QPainter&)>& draw) {
  p.save();
  p.translate(index * 20, 0);
  p.setClipRect(0, 0, 20, 20);
  draw(p);
  p.restore();
}

QImage DrawImageList() {
  QImage image = NewImage(14 * 20, 20);
  QPainter p(&image);
  const auto glyph = [](QPainterPath path, QColor colour = kSilver) {
    return [path, colour](QPainter& painter) { Glyph(painter, path, colour); };
  };
  DrawFace(p, 0, [](QPainter& painter) {
    QPainterPath back;
    back.moveTo(3, 4);
    back.lineTo(8, 4);
    back.lineTo(9.5, 5.5);
    back.lineTo(16, 5.5);
    back.lineTo(16, 13);
    back.lineTo(3, 13);
    back.closeSubpath();
    Glyph(painter, back, QColor(150, 150, 150));
    QPainterPath front;
    front.moveTo(3, 13);
    front.lineTo(5.5, 8);
    front.lineTo(18, 8);
    front.lineTo(16, 13);
    front.closeSubpath();
    Glyph(painter, front, kSilver);
  });
  DrawFace(p, 1, glyph(GoToBeginFace()));
  DrawFace(p, 2, glyph(PlayFace(), kAccent));
  DrawFace(p, 3, glyph(PauseFace()));
  DrawFace(p, 4, glyph(StopFace()));
  DrawFace(p, 5, glyph(GoToEndFace()));
  DrawFace(p, 6, [](QPainter& painter) {
    Glyph(painter, BracketOpen(5), kAccent);
    Glyph(painter, Triangle({9, 7}, {9, 13}, {14, 10}), kSilver);
  });
  DrawFace(p, 7, [](QPainter& painter) {
    Glyph(painter, BracketClose(15), kAccent);
    Glyph(painter, Triangle({11, 7}, {11, 13}, {6, 10}), kSilver);
  });
  DrawFace(p, 8, [](QPainter& painter) {
    QPainterPath brackets = BracketOpen(4);
    brackets.addPath(BracketClose(16));
    Glyph(painter, brackets, kAccent);
    Glyph(painter, Rect(7.5, 9, 5, 2), kSilver);
  });
  DrawFace(p, 9, [](QPainter& painter) {
    // Scissors: two blades crossing above two finger rings.
    QPainterPath blades;
    blades.moveTo(7, 13);
    blades.lineTo(14.5, 3.5);
    blades.moveTo(13, 13);
    blades.lineTo(5.5, 3.5);
    QPainterPath rings;
    rings.addEllipse(QPointF(6, 15), 2.4, 2.4);
    rings.addEllipse(QPointF(14, 15), 2.4, 2.4);
    Glyph(painter, Stroke(blades, 1.6), kSilver);
    Glyph(painter, Stroke(rings, 1.4), kAccent);
  });
  // Go and cancel, each followed by its "pointer over it" face: a plate that
  // lights up and a glyph that turns amber.
  const auto plateFace = [](QPainterPath glyphPath, bool hover) {
    return [glyphPath, hover](QPainter& painter) {
      painter.save();
      painter.setRenderHint(QPainter::Antialiasing);
      QLinearGradient plate(0, 1, 0, 19);
      plate.setColorAt(0, hover ? QColor(104, 104, 104) : QColor(80, 80, 80));
      plate.setColorAt(1, hover ? QColor(58, 58, 58) : QColor(42, 42, 42));
      painter.setPen(QPen(hover ? kAccent : QColor(20, 20, 20), 1));
      painter.setBrush(plate);
      painter.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 3, 3);
      painter.restore();
      Glyph(painter, glyphPath, hover ? kAccent : kSilver);
    };
  };
  QPainterPath tick;
  tick.moveTo(5.5, 10.5);
  tick.lineTo(8.5, 13.5);
  tick.lineTo(14.5, 6.5);
  QPainterPath cross;
  cross.moveTo(6.5, 6.5);
  cross.lineTo(13.5, 13.5);
  cross.moveTo(13.5, 6.5);
  cross.lineTo(6.5, 13.5);
  DrawFace(p, 10, plateFace(Stroke(tick, 2.2), false));
  DrawFace(p, 11, plateFace(Stroke(tick, 2.2), true));
  DrawFace(p, 12, plateFace(Stroke(cross, 2.2), false));
  DrawFace(p, 13, plateFace(Stroke(cross, 2.2), true));
  return image;
}

// ---------------------------------------------------------------------------
// About box (240 x 120)

// The title strip, cross, frame and panel the about box shares with the
// other dialogs: a 20-pixel strip with `title` at its left and a cross over
// the close area (X 221..231).
void DrawDialogFrame(QPainter& p, const QRect& rect, const QString& title) {
  QLinearGradient panel(0, 20, 0, rect.height());
  panel.setColorAt(0, kPanelTop);
  panel.setColorAt(1, kPanelBottom);
  p.fillRect(rect, panel);
  QLinearGradient strip(0, 0, 0, 20);
  strip.setColorAt(0, kStripTop);
  strip.setColorAt(1, kStripBottom);
  p.fillRect(QRect(0, 0, rect.width(), 20), strip);
  Groove(p, 3, rect.width() - 4, 20);
  Bevel(p, rect, kBevelLight, kBevelDark);
  Bevel(p, rect.adjusted(1, 1, -1, -1), kBevelMid, QColor(40, 40, 40));
  Bevel(p, rect.adjusted(2, 2, -2, -2), QColor(36, 36, 36), kBevelMid);

  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(11);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0, 0, 0, 170));
  p.drawText(QRect(9, 3, 120, 17), Qt::AlignLeft | Qt::AlignVCenter, title);
  p.setPen(kSilver);
  p.drawText(QRect(8, 2, 120, 17), Qt::AlignLeft | Qt::AlignVCenter, title);

  const int cx = rect.width() - 14;  // centre of X 221..231 at width 240
  const QRect plate(cx - 5, 4, 11, 11);
  p.fillRect(plate.adjusted(1, 1, -1, -1), QColor(40, 40, 40));
  Bevel(p, plate, kGrooveDark, kGrooveLight);
  QPainterPath cross;
  cross.moveTo(cx - 2.5, 6.5);
  cross.lineTo(cx + 2.5, 11.5);
  cross.moveTo(cx + 2.5, 6.5);
  cross.lineTo(cx - 2.5, 11.5);
  Glyph(p, Stroke(cross, 1.6), kSilver);
}

QImage DrawAboutSkin(const QString& version) {
  QImage image = NewImage(240, 120);
  QPainter p(&image);
  DrawDialogFrame(p, image.rect(), QStringLiteral("About"));

  // Logo and product name.
  DrawLogo(p, 20, 25);
  QFont name(QStringLiteral("Liberation Sans"));
  name.setPixelSize(16);
  name.setBold(true);
  name.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
  p.setFont(name);
  p.setPen(QColor(0, 0, 0, 170));
  p.drawText(41, 39, QStringLiteral("Snipola"));
  p.setPen(kSilver);
  p.drawText(40, 38, QStringLiteral("Snipola"));

  // The rule.
  Groove(p, 20, 219, 44);

  QFont text(QStringLiteral("Liberation Sans"));
  text.setPixelSize(11);
  p.setFont(text);
  p.setPen(kSilver);
  p.drawText(21, 58, QStringLiteral("Version ") + version);
  // Light enough for a contrast of about 5:1 on the panel behind it (4.5:1 is the
  // least for text this size).
  p.setPen(QColor(160, 160, 160));
  p.drawText(21, 99, QStringLiteral("Cuts MP3 and WAV files."));

  // The web address, underlined, over the link area (X 21..139, Y 66..74).
  QFont link(QStringLiteral("Liberation Sans"));
  link.setPixelSize(10);
  p.setFont(link);
  p.setPen(kAccent);
  const QString address = QStringLiteral(SNIPOLA_HOMEPAGE);
  p.drawText(21, 72, address);
  const int linkWidth = std::min(QFontMetrics(link).horizontalAdvance(address), 118);
  p.drawLine(21, 74, 21 + linkWidth - 1, 74);

  // A well under the Go button (193, 85, 20 x 20).
  Well(p, QRect(192, 84, 22, 22));
  return image;
}

bool Save(const QImage& image, const QDir& dir, const char* name) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s (%dx%d)\n", qPrintable(path), image.width(), image.height());
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--about") == 0) {
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QFileInfo target(path);
    return Save(DrawAboutSkin(QStringLiteral(SNIPOLA_VERSION)), target.absoluteDir(),
                qPrintable(target.fileName()))
               ? 0
               : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n       %s --about FILE\n", argv[0], argv[0]);
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.exists()) {
    std::fprintf(stderr, "no such folder: %s\n", argv[1]);
    return 2;
  }
  bool ok = Save(DrawMainSkin(), dir, "main.png");
  ok = Save(DrawImageList(), dir, "image_list.png") && ok;
  ok = Save(DrawTrackBar(), dir, "track_bar.png") && ok;
  ok = Save(DrawTrackButton(), dir, "track_button.png") && ok;
  ok = Save(DrawSelection(), dir, "selection.png") && ok;
  return ok ? 0 : 1;
}

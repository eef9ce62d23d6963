// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader sees of the skin's own controls, which Qt would take
// for plain labels and pictures: a ClickLabel is a button named by its text
// that the "Press" action clicks, and a picture marked by SetAccessibleSlider
// is a slider whose value the window keeps up to date.
//
// UI thread only.
#include <QAbstractButton>

class QString;

// Lets Qt's accessibility find the interfaces above; once is enough, more
// calls change nothing.
void InstallSkinAccessibility();

// Marks `widget` as a slider named `name`, from 0 to `maximum`, now at
// `value`; a change of value is announced to a running screen reader.
void SetAccessibleSlider(QWidget& widget, const QString& name, int value, int maximum);

// A glyph drawn in a skin's title strip (about, help, minimise, close) as a
// screen reader sees it: an invisible button over the glyph named by its
// action, whose press runs it (`clicked`). The mouse goes through it to the
// strip, which drags and acts on its own; the keyboard reaches the same
// commands through the window's menu.
class CaptionGlyph : public QAbstractButton {
 public:
  CaptionGlyph(QWidget* parent, const QString& name, const QRect& area);

 protected:
  void paintEvent(QPaintEvent*) override {}
};

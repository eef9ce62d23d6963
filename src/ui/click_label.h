// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ClickLabel: a label that acts like a button (the main window's position
// labels open their value entry when clicked). A click is a left press and
// release inside the label, as for a push button; Tab reaches it and Space
// clicks it, every other key goes on to the window. A screen reader sees a
// button named by the text (see skin_accessibility.h).
#include <QLabel>

class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickLabel(QWidget* parent = nullptr);

 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;  // a dotted frame shows the focus

 private:
  bool pressed_ = false;
};

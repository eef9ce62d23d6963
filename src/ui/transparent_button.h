// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TTransparentButton: an image button without a frame. It draws one face of
// the image list ImageList1 over whatever lies beneath it (the skin), shows
// its hint as a tool tip and is named by it for a screen reader. Tab reaches
// it (a dotted frame shows the focus) and Space presses it; every other key
// goes on to the window, whose keys keep their meaning. With hover
// images on, the face index grows by one while the pointer is over the button
// (the "pointer over it" faces of the list).
#include <QAbstractButton>

class TTransparentButton : public QAbstractButton {
  Q_OBJECT
 public:
  TTransparentButton(QWidget* parent, int imageIndex, const QString& hint);

  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  void SetHoverImages(bool on) { hoverImages_ = on; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int imageIndex_;
  bool hoverImages_ = false;
};

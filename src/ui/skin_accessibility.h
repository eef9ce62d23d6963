#pragma once
// What a screen reader sees of the skin's own controls, which Qt would take
// for plain labels and pictures: a ClickLabel is a button named by its text
// that the "Press" action clicks, and a picture marked by SetAccessibleSlider
// is a slider whose value the window keeps up to date.
//
// UI thread only.
class QWidget;
class QString;

// Lets Qt's accessibility find the interfaces above; once is enough, more
// calls change nothing.
void InstallSkinAccessibility();

// Marks `widget` as a slider named `name`, from 0 to `maximum`, now at
// `value`; a change of value is announced to a running screen reader.
void SetAccessibleSlider(QWidget& widget, const QString& name, int value, int maximum);

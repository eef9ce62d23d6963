// SPDX-License-Identifier: GPL-3.0-or-later
// The skin controls' accessible interfaces; see skin_accessibility.h.
#include "ui/skin_accessibility.h"

#include <QAccessibleWidget>
#include <QString>
#include <QVariant>
#include <QWidget>

#include "ui/click_label.h"

namespace {

constexpr const char* kSliderValue = "snipolaSliderValue";
constexpr const char* kSliderMaximum = "snipolaSliderMaximum";

class ClickLabelAccessible : public QAccessibleWidget {
 public:
  explicit ClickLabelAccessible(QWidget* label) : QAccessibleWidget(label, QAccessible::Button) {}
  QString text(QAccessible::Text kind) const override {
    // Qt would name a label after its group box.
    if (kind != QAccessible::Name || !widget()->accessibleName().isEmpty()) {
      return QAccessibleWidget::text(kind);
    }
    return static_cast<const ClickLabel*>(widget())->text();
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) emit static_cast<ClickLabel*>(widget())->Clicked();
  }
};

class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SliderAccessible(QWidget* picture) : QAccessibleWidget(picture, QAccessible::Slider) {}
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QVariant currentValue() const override { return widget()->property(kSliderValue); }
  void setCurrentValue(const QVariant&) override {}  // read only: the keys move the position
  QVariant maximumValue() const override { return widget()->property(kSliderMaximum); }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* SkinAccessibleFactory(const QString& className, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (className == QLatin1String("ClickLabel")) return new ClickLabelAccessible(widget);
  if (widget->property(kSliderValue).isValid()) return new SliderAccessible(widget);
  return nullptr;
}

}  // namespace

void InstallSkinAccessibility() { QAccessible::installFactory(&SkinAccessibleFactory); }

void SetAccessibleSlider(QWidget& widget, const QString& name, int value, int maximum) {
  const bool changed = widget.property(kSliderValue) != QVariant(value);
  // The role is settled when Qt first builds the interface, which a change
  // of name may do: the value comes first.
  widget.setProperty(kSliderMaximum, maximum);
  widget.setProperty(kSliderValue, value);
  widget.setAccessibleName(name);
  if (changed && QAccessible::isActive()) {
    QAccessibleValueChangeEvent event(&widget, value);
    QAccessible::updateAccessibility(&event);
  }
}

CaptionGlyph::CaptionGlyph(QWidget* parent, const QString& name, const QRect& area)
    : QAbstractButton(parent) {
  setAccessibleName(name);
  setGeometry(area);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

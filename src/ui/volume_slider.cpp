// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/volume_slider.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>

#include "midi/sound_options.h"

namespace velmora {

namespace {

// Qt's own slider interface gives its value as a number alone.
class SpokenVolume final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpokenVolume(QSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return VolumeSlider::Words(slider()->value());
        return QAccessibleWidget::text(kind);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant& value) override { slider()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

private:
    QSlider* slider() const { return static_cast<QSlider*>(widget()); }
};

QAccessibleInterface* SpokenVolumeFactory(const QString&, QObject* object) {
    auto* slider = dynamic_cast<VolumeSlider*>(object);
    return slider ? new SpokenVolume(slider) : nullptr;
}

}  // namespace

VolumeSlider::VolumeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    static const bool installed = (QAccessible::installFactory(SpokenVolumeFactory), true);
    (void)installed;
    setRange(0, kLoudestVolume);
    setSingleStep(5);
    setPageStep(25);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(kUsualVolume / 2);
    setValue(kUsualVolume);
}

QString VolumeSlider::Figure(int percent) {
    return QCoreApplication::translate("VolumeSlider", "%1 %").arg(percent);
}

QString VolumeSlider::Words(int percent) {
    if (percent <= 0) return QCoreApplication::translate("VolumeSlider", "silent");
    if (percent == kUsualVolume) {
        return QCoreApplication::translate("VolumeSlider", "%1 percent, the usual").arg(percent);
    }
    return QCoreApplication::translate("VolumeSlider", "%1 percent").arg(percent);
}

}  // namespace velmora

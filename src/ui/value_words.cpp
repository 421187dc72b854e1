// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/value_words.h"

#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>

namespace velmora {

namespace {

using ValueWords = std::function<QString(int)>;

QHash<const QAbstractSlider*, ValueWords>& WordsOfControls() {
    static QHash<const QAbstractSlider*, ValueWords> words;
    return words;
}

// A scroll bar or slider as Qt presents one, with its value in words.
class WordedValue final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit WordedValue(QAbstractSlider* control)
        : QAccessibleWidget(control, qobject_cast<QScrollBar*>(control) ? QAccessible::ScrollBar
                                                                        : QAccessible::Slider) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Description) {
            // Some desktops' bridges pass on the value only as a number: the
            // words come first in the description too.
            const QString own = QAccessibleWidget::text(kind);
            return own.isEmpty() ? text(QAccessible::Value) : text(QAccessible::Value) + "; " + own;
        }
        if (kind != QAccessible::Value) return QAccessibleWidget::text(kind);
        const auto words = WordsOfControls().constFind(control());
        const QString text =
            words != WordsOfControls().cend() && *words ? (*words)(control()->value()) : QString();
        return text.isEmpty() ? QString::number(control()->value()) : text;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return control()->value(); }
    void setCurrentValue(const QVariant& value) override { control()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return control()->maximum(); }
    QVariant minimumValue() const override { return control()->minimum(); }
    QVariant minimumStepSize() const override { return control()->singleStep(); }

private:
    QAbstractSlider* control() const { return static_cast<QAbstractSlider*>(widget()); }
};

QAccessibleInterface* WordedValueFactory(const QString&, QObject* object) {
    auto* control = qobject_cast<QAbstractSlider*>(object);
    return control && WordsOfControls().contains(control) ? new WordedValue(control) : nullptr;
}

}  // namespace

void SetValueWords(QAbstractSlider& control, std::function<QString(int value)> words) {
    static const bool installed = (QAccessible::installFactory(WordedValueFactory), true);
    (void)installed;
    const bool known = WordsOfControls().contains(&control);
    WordsOfControls().insert(&control, std::move(words));
    if (!known) {
        QObject::connect(&control, &QObject::destroyed,
                         [key = &control] { WordsOfControls().remove(key); });
        QObject::connect(&control, &QAbstractSlider::valueChanged, &control, [&control] {
            QAccessibleEvent described(&control, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&described);
        });
        // A control already presented by Qt's own interface is presented afresh, by ours.
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&control);
        if (shown && !dynamic_cast<WordedValue*>(shown)) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(shown));
        }
    }
}

QString MinutesInWords(int seconds) {
    const int minutes = seconds / 60;
    const int rest = seconds % 60;
    QString text =
        minutes == 1 ? QStringLiteral("1 minute") : QStringLiteral("%1 minutes").arg(minutes);
    if (rest == 1) text += QStringLiteral(" 1 second");
    if (rest > 1) text += QStringLiteral(" %1 seconds").arg(rest);
    return text;
}

}  // namespace velmora

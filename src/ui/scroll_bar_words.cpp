// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/scroll_bar_words.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>

namespace velmora {

namespace {

using BarWords = std::function<QString(int)>;

QHash<const QScrollBar*, BarWords>& WordsOfBars() {
    static QHash<const QScrollBar*, BarWords> words;
    return words;
}

// A scroll bar as Qt presents one, with its value in words.
class WordedScrollBar final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit WordedScrollBar(QScrollBar* bar) : QAccessibleWidget(bar, QAccessible::ScrollBar) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Description) {
            // Some desktops' bridges pass on the value only as a number: the
            // words come first in the description too.
            const QString own = QAccessibleWidget::text(kind);
            return own.isEmpty() ? text(QAccessible::Value) : text(QAccessible::Value) + "; " + own;
        }
        if (kind != QAccessible::Value) return QAccessibleWidget::text(kind);
        const auto words = WordsOfBars().constFind(bar());
        const QString text =
            words != WordsOfBars().cend() && *words ? (*words)(bar()->value()) : QString();
        return text.isEmpty() ? QString::number(bar()->value()) : text;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant& value) override { bar()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return bar()->singleStep(); }

private:
    QScrollBar* bar() const { return static_cast<QScrollBar*>(widget()); }
};

QAccessibleInterface* WordedScrollBarFactory(const QString&, QObject* object) {
    auto* bar = qobject_cast<QScrollBar*>(object);
    return bar && WordsOfBars().contains(bar) ? new WordedScrollBar(bar) : nullptr;
}

}  // namespace

void SetValueWords(QScrollBar& bar, std::function<QString(int value)> words) {
    static const bool installed = (QAccessible::installFactory(WordedScrollBarFactory), true);
    (void)installed;
    const bool known = WordsOfBars().contains(&bar);
    WordsOfBars().insert(&bar, std::move(words));
    if (!known) {
        QObject::connect(&bar, &QObject::destroyed, [key = &bar] { WordsOfBars().remove(key); });
        QObject::connect(&bar, &QAbstractSlider::valueChanged, &bar, [&bar] {
            QAccessibleEvent described(&bar, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&described);
        });
        // A bar already presented by Qt's own interface is presented afresh, by ours.
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&bar);
        if (shown && !dynamic_cast<WordedScrollBar*>(shown)) {
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

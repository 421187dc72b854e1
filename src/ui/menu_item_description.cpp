// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/menu_item_description.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QStyle>

namespace velmora {

namespace {

constexpr char kProperty[] = "velmoraMenuItemDescription";

// "&Open && Save" as shown: "Open & Save".
QString WithoutMnemonics(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

QString MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] != QLatin1Char('&')) return QStringLiteral("Alt+") + text[i + 1].toUpper();
        ++i;
    }
    return {};
}

// A menu item as Qt presents one, with the description added.
class DescribedMenuItem final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    DescribedMenuItem(QMenu* menu, QAction* action) : menu_(menu), action_(action) {}

    bool isValid() const override { return menu_ && action_; }
    QObject* object() const override { return action_; }
    QWindow* window() const override {
        QAccessibleInterface* menu = parent();
        return menu ? menu->window() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(menu_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
            case QAccessible::Name:
                return WithoutMnemonics(action_->text());
            case QAccessible::Description:
                return MenuItemDescription(action_);
            case QAccessible::Accelerator:
                return action_->shortcut().isEmpty() ? MnemonicOf(action_->text())
                                                     : action_->shortcut().toString();
            default:
                return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect place = menu_->actionGeometry(action_);
        return place.translated(menu_->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override {
        return action_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !menu_->isVisible() || !action_->isVisible();
        state.focused = menu_->activeAction() == action_;
        state.hotTracked = menu_->style()->styleHint(QStyle::SH_Menu_MouseTracking);
        state.disabled = action_->isSeparator() || !action_->isEnabled();
        state.checkable = action_->isCheckable();
        state.checked = action_->isChecked();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        if (action_->isSeparator()) return {};
        return {pressAction()};
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && action_->isEnabled()) action_->trigger();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QMenu> menu_;
    QPointer<QAction> action_;
};

QMenu* MenuOf(const QAction* action) {
    for (QObject* each : action->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(each)) return menu;
    }
    return nullptr;
}

QAccessibleInterface* DescribedItemFactory(const QString&, QObject* object) {
    auto* action = qobject_cast<QAction*>(object);
    if (!action || !action->property(kProperty).isValid()) return nullptr;
    QMenu* menu = MenuOf(action);
    return menu ? new DescribedMenuItem(menu, action) : nullptr;
}

}  // namespace

void SetMenuItemDescription(QAction* action, const QString& description) {
    static const bool installed = (QAccessible::installFactory(DescribedItemFactory), true);
    (void)installed;
    const QVariant before = action->property(kProperty);
    if (before.isValid() && before.toString() == description) return;
    action->setProperty(kProperty, description);
    if (!before.isValid()) {
        // An item already presented by Qt's own interface is presented
        // afresh, now by ours.
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(action);
        if (shown && !dynamic_cast<DescribedMenuItem*>(shown)) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(shown));
        }
    }
    if (QAccessible::isActive()) {
        QAccessibleEvent event(action, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QString MenuItemDescription(const QAction* action) {
    return action->property(kProperty).toString();
}

}  // namespace velmora

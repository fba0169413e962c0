#include "A11yAudit.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace a11y {

namespace {

bool takesTabFocus(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
}

// Shown, taking Tab, and not a part of another such control (a combo box's
// line edit, a table's scroll bars).
QList<QWidget*> reachable(QWidget* window) {
    QList<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        bool part = false;
        for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            part = part || (takesTabFocus(p) && !p->inherits("QGroupBox"));
        if (w->window() == window && takesTabFocus(w) && w->isVisibleTo(window) && !part) out << w;
    }
    return out;
}

using ByName = QHash<QString, QStringList>;

void addRepeats(const ByName& byName, const QString& where, QStringList& problems) {
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        if (it.value().size() > 1)
            problems << QStringLiteral("%1: \"%2\" names %3").arg(where, it.key(), it->join(", "));
}

QString text(QObject* o, QAccessible::Text t) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(t) : QString();
}

}  // namespace

QString spokenName(QWidget* widget) {
    // Qt on X11 reports a filled combo box's text as its name and leaves the
    // label to the labelled-by relation; the name we give is what is spoken.
    if (qobject_cast<QComboBox*>(widget) && !widget->accessibleName().isEmpty())
        return widget->accessibleName();
    return text(widget, QAccessible::Name);
}

QStringList problems(QWidget* window) {
    QStringList problems;
    const QList<QWidget*> widgets = reachable(window);
    ByName byName, byKey;
    for (QWidget* w : widgets) {
        const QString name = spokenName(w).trimmed();
        if (name.isEmpty()) problems << w->objectName() + QStringLiteral(" has no name");
        else byName[name] << w->objectName();
        const QString description = text(w, QAccessible::Description);
        if (description != w->toolTip())
            problems << QStringLiteral("%1 describes itself as \"%2\", its tool tip says \"%3\"")
                            .arg(w->objectName(), description, w->toolTip());
    }
    addRepeats(byName, QStringLiteral("window"), problems);

    for (QWidget* menu : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QMenu*>(menu) && !qobject_cast<QMenuBar*>(menu)) continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
        const QString where = menu->metaObject()->className() + (u' ' + menu->objectName());
        ByName items;
        for (int i = 0; iface && i < iface->childCount(); ++i) {
            QAccessibleInterface* item = iface->child(i);
            if (!item || item->role() == QAccessible::Separator || item->state().invisible) continue;
            const QString name = item->text(QAccessible::Name);
            if (name.trimmed().isEmpty()) problems << QStringLiteral("%1: item %2 has no name").arg(where).arg(i);
            else items[name] << QString::number(i);
        }
        addRepeats(items, where, problems);
    }

    const auto noteKey = [&](const QString& text, const QWidget* owner) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty() && owner->window() == window) byKey[key.toString()] << owner->objectName();
    };
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy()) noteKey(label->text(), label);
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) noteKey(button->text(), button);
    addRepeats(byKey, QStringLiteral("mnemonic"), problems);

    QList<QWidget*> chain;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        if (widgets.contains(w) && !chain.contains(w)) chain << w;
    for (QWidget* w : widgets)
        if (!chain.contains(w)) problems << w->objectName() + QStringLiteral(" is never reached");
    // Overlap of two spans by more than a pixel or two of rounding.
    const auto overlap = [](int a1, int a2, int b1, int b2) { return qMin(a2, b2) - qMax(a1, b1) > 2; };
    for (qsizetype i = 0; i < chain.size(); ++i) {
        const QRect a(chain[i]->mapTo(window, QPoint()), chain[i]->size());
        for (qsizetype j = i + 1; j < chain.size(); ++j) {
            const QRect b(chain[j]->mapTo(window, QPoint()), chain[j]->size());
            const bool sameRow = overlap(a.top(), a.bottom(), b.top(), b.bottom());
            const bool sameColumn = overlap(a.left(), a.right(), b.left(), b.right());
            const char* how = sameRow && !sameColumn && b.left() < a.left()   ? "left of"
                              : sameColumn && !sameRow && b.top() < a.top() ? "above"
                                                                            : nullptr;
            if (how)
                problems << QStringLiteral("%1 lies %2 %3 but is reached after it")
                                .arg(chain[j]->objectName(), QLatin1String(how), chain[i]->objectName());
        }
    }
    return problems;
}

}  // namespace a11y

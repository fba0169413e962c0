#include "A11yAudit.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QWidget>

namespace a11y {

namespace {

bool takesTabFocus(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
}

// Part of another control that takes focus (below the window).
bool insideControl(const QWidget* w, const QWidget* window) {
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (takesTabFocus(p) && !p->inherits("QGroupBox")) return true;
    }
    return false;
}

void addRepeats(const QHash<QString, QStringList>& byName, const QString& where,
                QStringList& problems) {
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
        if (it.value().size() > 1) {
            problems.append(QStringLiteral("%1: \"%2\" names %3")
                                .arg(where, it.key(), it.value().join(QStringLiteral(", "))));
        }
    }
}

void checkMenu(QAccessibleInterface* menu, const QString& where, QStringList& problems) {
    if (!menu) return;
    QHash<QString, QStringList> byName;
    for (int i = 0; i < menu->childCount(); ++i) {
        QAccessibleInterface* item = menu->child(i);
        if (!item || item->role() == QAccessible::Separator || item->state().invisible) continue;
        const QString name = item->text(QAccessible::Name);
        if (name.trimmed().isEmpty()) {
            problems.append(QStringLiteral("%1: item %2 has no name").arg(where).arg(i));
        } else {
            byName[name].append(QString::number(i));
        }
    }
    addRepeats(byName, where, problems);
}

}  // namespace

QList<QWidget*> reachableWidgets(QWidget* window) {
    QList<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || !takesTabFocus(w) || !w->isVisibleTo(window)) continue;
        if (insideControl(w, window)) continue;
        out.append(w);
    }
    return out;
}

QString spokenName(QWidget* widget) {
    // Qt on X11 reports a filled combo box's text as its name and leaves the
    // label to the labelled-by relation; the name we give is what is spoken.
    if (qobject_cast<QComboBox*>(widget) && !widget->accessibleName().isEmpty()) {
        return widget->accessibleName();
    }
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QStringList nameProblems(QWidget* window) {
    QStringList problems;
    QHash<QString, QStringList> byName;
    for (QWidget* w : reachableWidgets(window)) {
        const QString name = spokenName(w).trimmed();
        if (name.isEmpty()) {
            problems.append(QStringLiteral("%1 has no name").arg(w->objectName()));
        } else {
            byName[name].append(w->objectName());
        }
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        const QString description = iface ? iface->text(QAccessible::Description) : QString();
        if (description != w->toolTip()) {
            problems.append(
                QStringLiteral("%1 describes itself as \"%2\", its tool tip says \"%3\"")
                    .arg(w->objectName(), description, w->toolTip()));
        }
    }
    addRepeats(byName, QStringLiteral("window"), problems);

    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        checkMenu(QAccessible::queryAccessibleInterface(bar), QStringLiteral("menu bar"), problems);
    }
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        checkMenu(QAccessible::queryAccessibleInterface(menu),
                  QStringLiteral("menu %1").arg(menu->objectName()), problems);
    }
    return problems;
}

QStringList mnemonicProblems(QWidget* window) {
    QHash<QString, QStringList> byKey;
    const auto note = [&](const QString& text, const QObject* owner) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty()) byKey[key.toString()].append(owner->objectName());
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() && label->window() == window) note(label->text(), label);
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->window() == window) note(button->text(), button);
    }
    QStringList problems;
    addRepeats(byKey, QStringLiteral("mnemonic"), problems);
    return problems;
}

QStringList tabOrderProblems(QWidget* window) {
    const QList<QWidget*> reachable = reachableWidgets(window);
    const QSet<QWidget*> wanted(reachable.cbegin(), reachable.cend());
    QList<QWidget*> chain;
    QSet<QWidget*> seen;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (wanted.contains(w) && !seen.contains(w)) {
            chain.append(w);
            seen.insert(w);
        }
    }
    QStringList problems;
    for (QWidget* w : reachable) {
        if (!seen.contains(w))
            problems.append(w->objectName() + QStringLiteral(" is never reached"));
    }
    const auto rectOf = [window](const QWidget* w) {
        return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
    };
    // Overlap of two spans by more than a pixel or two of rounding.
    const auto overlap = [](int a1, int a2, int b1, int b2) {
        return qMin(a2, b2) - qMax(a1, b1) > 2;
    };
    for (qsizetype i = 0; i < chain.size(); ++i) {
        const QRect a = rectOf(chain[i]);
        for (qsizetype j = i + 1; j < chain.size(); ++j) {
            const QRect b = rectOf(chain[j]);
            const bool sameRow =
                overlap(a.top(), a.top() + a.height(), b.top(), b.top() + b.height());
            const bool sameColumn =
                overlap(a.left(), a.left() + a.width(), b.left(), b.left() + b.width());
            QString how;
            if (sameRow && !sameColumn && b.left() < a.left()) how = QStringLiteral("left of");
            if (sameColumn && !sameRow && b.top() < a.top()) how = QStringLiteral("above");
            if (!how.isEmpty()) {
                problems.append(QStringLiteral("%1 lies %2 %3 but is reached after it")
                                    .arg(chain[j]->objectName(), how, chain[i]->objectName()));
            }
        }
    }
    return problems;
}

}  // namespace a11y

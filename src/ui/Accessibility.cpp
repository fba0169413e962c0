#include "ui/Accessibility.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QtDebug>
#include <algorithm>

namespace {

// Kept on the widgets themselves, so that a caption set later by the binder
// (translation, configuration) finds what to update.
constexpr const char* kCaption = "a11yCaption";        // label: caption without "&" escapes
constexpr const char* kMnemonic = "a11yMnemonic";      // label: letter to underline
constexpr const char* kDependents = "a11yDependents";  // label: widgets named from it
constexpr const char* kPattern = "a11yNamePattern";    // widget: its name, "{Label}" refs

const QRegularExpression& labelReference() {
    static const QRegularExpression re(QStringLiteral("\\{([^{}|]+)(?:\\|([^{}]*))?\\}"));
    return re;
}

QString captionOf(const QLabel* label) {
    const QVariant stored = label->property(kCaption);
    return stored.isValid() ? stored.toString() : label->text();
}

void updateName(QWidget* widget) {
    const QString pattern = widget->property(kPattern).toString();
    QWidget* top = widget->window();
    QString name;
    qsizetype at = 0;
    for (const auto& m : labelReference().globalMatch(pattern)) {
        name += pattern.mid(at, m.capturedStart() - at);
        const auto* label = top->findChild<QLabel*>(m.captured(1));
        const QString fromLabel = label ? nameFromCaption(captionOf(label)) : QString();
        name += fromLabel.isEmpty() ? m.captured(2) : fromLabel;
        at = m.capturedEnd();
    }
    name += pattern.mid(at);
    name = name.simplified();
    widget->setAccessibleName(name);
    // What holds the keyboard focus is what a screen reader names: an
    // editable combo box's line edit, a calendar's day table.
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit()) {
        combo->lineEdit()->setAccessibleName(name);
    }
    if (QWidget* proxy = widget->focusProxy()) proxy->setAccessibleName(name);
}

void setPattern(QWidget* widget, const QString& pattern, QStringList& missing) {
    widget->setProperty(kPattern, pattern);
    QWidget* top = widget->window();
    for (const auto& m : labelReference().globalMatch(pattern)) {
        auto* label = top->findChild<QLabel*>(m.captured(1));
        if (!label) {
            missing.append(m.captured(1));
            continue;
        }
        QStringList dependents = label->property(kDependents).toStringList();
        if (!dependents.contains(widget->objectName())) {
            dependents.append(widget->objectName());
            label->setProperty(kDependents, dependents);
        }
    }
    updateName(widget);
}

void addLayout(QLayout* layout, QList<QWidget*>& out);

void addWidget(QWidget* w, QList<QWidget*>& out) {
    if (!w || w->isWindow()) return;
    const bool takesFocus = (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
    if (takesFocus) {
        out.append(w);
        // A control's parts are its own business; a checkable group box
        // still holds controls of the window.
        if (!qobject_cast<QGroupBox*>(w)) return;
    }
    if (auto* splitter = qobject_cast<QSplitter*>(w)) {
        for (int i = 0; i < splitter->count(); ++i) addWidget(splitter->widget(i), out);
        return;
    }
    if (w->layout()) addLayout(w->layout(), out);
}

void addItem(QLayoutItem* item, QList<QWidget*>& out) {
    if (!item) return;
    if (item->widget()) {
        addWidget(item->widget(), out);
    } else if (item->layout()) {
        addLayout(item->layout(), out);
    }
}

void addLayout(QLayout* layout, QList<QWidget*>& out) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        struct Placed {
            int row, col;
            QLayoutItem* item;
        };
        QList<Placed> placed;
        for (int i = 0; i < grid->count(); ++i) {
            int row = 0, col = 0, rowSpan = 0, colSpan = 0;
            grid->getItemPosition(i, &row, &col, &rowSpan, &colSpan);
            placed.append({row, col, grid->itemAt(i)});
        }
        std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
            return a.row != b.row ? a.row < b.row : a.col < b.col;
        });
        for (const Placed& p : placed) addItem(p.item, out);
        return;
    }
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row) {
            for (auto role :
                 {QFormLayout::LabelRole, QFormLayout::FieldRole, QFormLayout::SpanningRole}) {
                addItem(form->itemAt(row, role), out);
            }
        }
        return;
    }
    QList<QLayoutItem*> items;
    for (int i = 0; i < layout->count(); ++i) items.append(layout->itemAt(i));
    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
        if (box->direction() == QBoxLayout::RightToLeft ||
            box->direction() == QBoxLayout::BottomToTop) {
            std::reverse(items.begin(), items.end());
        }
    }
    for (QLayoutItem* item : items) addItem(item, out);
}

QString escapeAmpersands(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

}  // namespace

QString nameFromCaption(const QString& caption) {
    QString name = caption.trimmed();
    while (name.endsWith(u':')) name.chop(1);
    qsizetype lead = 0;
    while (lead < name.size() && (name[lead] == u'+' || name[lead] == u'-' || name[lead].isSpace()))
        ++lead;
    return name.mid(lead).trimmed();
}

void setLabelCaption(QLabel* label, const QString& caption) {
    label->setProperty(kCaption, caption);
    // Without a buddy a label shows "&" as it is; with one it marks a mnemonic.
    if (!label->buddy()) {
        label->setText(caption);
    } else {
        const QString letter = label->property(kMnemonic).toString();
        const qsizetype at =
            letter.isEmpty() ? -1 : caption.indexOf(letter, 0, Qt::CaseInsensitive);
        label->setText(at < 0 ? escapeAmpersands(caption)
                              : escapeAmpersands(caption.left(at)) + u'&' +
                                    escapeAmpersands(caption.mid(at)));
    }
    if (QWidget* top = label->window()) {
        for (const QString& name : label->property(kDependents).toStringList()) {
            if (auto* w = top->findChild<QWidget*>(name)) updateName(w);
        }
    }
}

QList<QWidget*> widgetsInLayoutOrder(QWidget* window) {
    QList<QWidget*> out;
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        addWidget(main->centralWidget(), out);
        if (auto* status = main->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly)) {
            addWidget(status, out);
        }
    } else if (window->layout()) {
        addLayout(window->layout(), out);
    }
    return out;
}

QStringList applyAccessibility(QWidget* window, const AccessibleNames& names) {
    QStringList missing;
    const auto find = [&](const QString& name) {
        QWidget* w = window->findChild<QWidget*>(name);
        if (!w) missing.append(name);
        return w;
    };
    for (const AccessibleNames::Label& l : names.labels) {
        auto* label = qobject_cast<QLabel*>(find(l.label));
        QWidget* field = find(l.field);
        if (!label || !field) continue;
        const QString caption = captionOf(label);
        label->setBuddy(field);
        label->setProperty(kMnemonic, l.mnemonic.isNull() ? QString() : QString(l.mnemonic));
        if (!names.names.contains(l.field)) {
            setPattern(field, u'{' + l.label + u'}', missing);
        }
        setLabelCaption(label, caption);
    }
    for (auto it = names.names.cbegin(); it != names.names.cend(); ++it) {
        if (QWidget* w = find(it.key())) setPattern(w, it.value(), missing);
    }

    // Qt skips widgets that take no focus when it checks whether two are
    // already in order, the window among them, which would leave the order
    // turned around the window: the first Tab would not reach the first field.
    const QList<QWidget*> order = widgetsInLayoutOrder(window);
    const Qt::FocusPolicy policy = window->focusPolicy();
    window->setFocusPolicy(Qt::TabFocus);
    if (!order.isEmpty()) QWidget::setTabOrder(window, order.first());
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    window->setFocusPolicy(policy);
    if (!missing.isEmpty()) {
        qWarning("%s: no widget named %s to name for a screen reader",
                 qPrintable(window->objectName()), qPrintable(missing.join(u' ')));
    }
    return missing;
}

#pragma once

#include <QChar>
#include <QHash>
#include <QList>
#include <QString>

class QLabel;
class QLayout;
class QWidget;

// How the controls of one window read to a screen reader, by control name.
struct AccessibleNames {
    // A label that names a field: it becomes the field's buddy, so the field
    // is spoken by the label's caption, and the first occurrence of `mnemonic`
    // in the caption (if any) is underlined for Alt+letter.
    struct Label {
        QString label;
        QString field;
        QChar mnemonic;
    };
    QList<Label> labels;
    // Names of their own for controls whose caption repeats in the window or
    // that have no label. "{Name}" stands for the current caption of the label
    // called Name, so the name follows that caption when it changes;
    // "{Name|text}" gives the text to use while that caption is blank.
    QHash<QString, QString> names;
};

// Applies `names` to the widgets under `window` (by objectName) and sets the
// tab order to the layout order. Call it once the window is built; the order
// against the binder does not matter. Names of widgets that do not exist are
// skipped, reported as a warning and returned.
QStringList applyAccessibility(QWidget* window, const AccessibleNames& names);

// Shows a label's caption: keeps its mnemonic, shows "&" as itself and
// updates the names made from the caption. The binder sets every label
// caption through this.
void setLabelCaption(QLabel* label, const QString& caption);

// The name a label's caption gives its field: no trailing colon, no leading
// "+" or "-" (the sign of a total row).
QString nameFromCaption(const QString& caption);

// The focusable widgets under `window` in the order its layouts place them:
// box layouts in their direction, grid and form layouts row by row,
// splitters widget by widget. Hidden widgets are included.
QList<QWidget*> widgetsInLayoutOrder(QWidget* window);

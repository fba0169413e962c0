#pragma once

#include <QList>
#include <QStringList>

class QWidget;

// What a screen reader user meets in a window, checked the way assistive
// tools read it (through QAccessible). Each check returns one readable line
// per fault, so a test can compare the list with an empty one and show them.
namespace a11y {

// The widgets a user reaches: shown, taking focus by Tab, not standing in
// for another (focus proxy) and not a part of another such control (a
// combo box's line edit, a table's scroll bars).
QList<QWidget*> reachableWidgets(QWidget* window);

// The name a screen reader speaks for a widget.
QString spokenName(QWidget* widget);

// Empty or repeated names among the reachable widgets, descriptions that
// differ from the tool tip, and empty or repeated names among the items of
// each menu (and among the menus of the menu bar).
QStringList nameProblems(QWidget* window);

// Alt+letter mnemonics used twice in the window (labels with a buddy and
// buttons).
QStringList mnemonicProblems(QWidget* window);

// Pairs the focus chain visits against the layout: a widget reached after
// another that lies left of it in the same row, or above it in the same
// column. The window must be shown and laid out.
QStringList tabOrderProblems(QWidget* window);

// All of the above.
QStringList problems(QWidget* window);

}  // namespace a11y

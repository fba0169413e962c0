#pragma once

#include <QStringList>

class QWidget;

// What a screen reader user meets in a window, checked the way assistive
// tools read it (through QAccessible).
namespace a11y {

// The name a screen reader speaks for a widget.
QString spokenName(QWidget* widget);

// One readable line per fault among the widgets Tab reaches: empty or
// repeated names, descriptions that differ from the tool tip, Alt letters
// used twice, empty or repeated names among each menu's items, and pairs the
// focus chain visits against the layout (a widget reached after another that
// lies left of it in its row, or above it in its column). The window must be
// shown and laid out.
QStringList problems(QWidget* window);

}  // namespace a11y

#pragma once

#include <QString>

// A widget named after the model control it shows, so that the binder finds it.
template <typename W>
W* named(const char* name, QWidget* parent = nullptr) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

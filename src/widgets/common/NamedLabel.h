#pragma once

#include <QLabel>

namespace kelvo {

// A label that carries its component name, so tests find it with findChild.
inline QLabel* NamedLabel(const QString& name, QWidget* parent, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace kelvo

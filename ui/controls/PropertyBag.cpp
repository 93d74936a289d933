#include "ui/controls/PropertyBag.h"

namespace controls {

QVariant PropertyBag::read(const QString& key, const QVariant& byDefault) const {
    const auto it = m_values.constFind(key.toLower());
    return it == m_values.constEnd() ? byDefault : it.value();
}

bool PropertyBag::readBool(const QString& key, bool byDefault) const {
    const auto it = m_values.constFind(key.toLower());
    return it == m_values.constEnd() ? byDefault : it.value().toInt() != 0;
}

void PropertyBag::write(const QString& key, const QVariant& value, const QVariant& byDefault) {
    if (value == byDefault)
        m_values.remove(key.toLower());
    else
        m_values.insert(key.toLower(), value);
}

void PropertyBag::writeBool(const QString& key, bool value, bool byDefault) {
    write(key, value ? -1 : 0, byDefault ? -1 : 0);
}

} // namespace controls

#pragma once
// The host form's property store for a control: values by key, read with a default when the key
// is absent and written with a default so that a value equal to it is not stored. Booleans are
// kept as -1 (true) and 0 (false). Keys match without regard to letter case.

#include <QMap>
#include <QSet>
#include <QString>
#include <QVariant>

namespace controls {

class PropertyBag {
public:
    QVariant read(const QString& key, const QVariant& byDefault) const;
    bool readBool(const QString& key, bool byDefault) const;
    void write(const QString& key, const QVariant& value, const QVariant& byDefault);
    void writeBool(const QString& key, bool value, bool byDefault);

    bool contains(const QString& key) const { return m_values.contains(key.toLower()); }
    // The stored value as it is (booleans as -1/0); invalid when absent.
    QVariant stored(const QString& key) const { return m_values.value(key.toLower()); }
    int size() const { return int(m_values.size()); }

private:
    QMap<QString, QVariant> m_values; // by lower-case key
};

// A control marks properties changed for its host to save; the host reads the set.
class PropertyChanges {
public:
    void mark(const QString& key) { m_keys.insert(key); }
    bool isMarked(const QString& key) const { return m_keys.contains(key); }
    void clear() { m_keys.clear(); }

private:
    QSet<QString> m_keys;
};

} // namespace controls

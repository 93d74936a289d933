#include "engines/embedded/store/DistinctTexts.h"

namespace embedded {

DistinctTexts::DistinctTexts(const ReadLimits& limits, const StringPool& pool)
    : m_area(limits.valueArea)
    , m_most(size_t(limits.mostValues))
    , m_pool(pool) {}

bool DistinctTexts::addNew(quint32 text) {
    // Only texts are counted: numbers and dates are told apart by the text the analysis shows for
    // them, which two different values may share, so they give no sure count. Texts alone may
    // come short of what the analysis finds, never beyond it.
    const QString& value = m_pool.at(text);
    if (value.isEmpty())
        return true;
    m_keys.insert(value);
    return m_keys.size() <= m_most;
}

} // namespace embedded

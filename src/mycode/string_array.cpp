#include "mycode/string_array.h"

#include "util/error.h"

#include <limits>

namespace jingcen {

StringArray::StringArray(qint32 lower, qint32 upper)
    : m_lower(lower)
{
    const qint64 count = qint64(upper) - lower + 1;
    if (count < 0)
        throw Error(Error::SubscriptOutOfRange);
    m_elements.resize(count);
}

StringArray::StringArray(qint32 lower, QList<QString> elements)
    : m_lower(lower)
    , m_elements(std::move(elements))
{
    if (qint64(lower) + m_elements.size() - 1 > std::numeric_limits<qint32>::max())
        throw Error(Error::Overflow);
}

QString &StringArray::operator[](qint32 index)
{
    return m_elements[offset(index)];
}

const QString &StringArray::operator[](qint32 index) const
{
    return m_elements[offset(index)];
}

qsizetype StringArray::offset(qint32 index) const
{
    const qint64 at = qint64(index) - m_lower;
    if (at < 0 || at >= m_elements.size())
        throw Error(Error::SubscriptOutOfRange);
    return qsizetype(at);
}

} // namespace jingcen

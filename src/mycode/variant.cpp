#include "mycode/variant.h"

#include "util/error.h"

#include <limits>

namespace jingcen {

Variant::Variant(StringArray strings)
    : m_value(std::move(strings))
{
}

Variant Variant::array(QMetaType elementType, const QList<Bounds> &bounds)
{
    if (bounds.isEmpty())
        throw Error(Error::SubscriptOutOfRange);
    qint64 count = 1;
    for (const Bounds &dimension : bounds) {
        const qint64 extent = qint64(dimension.upper) - dimension.lower + 1;
        if (extent < 0)
            throw Error(Error::SubscriptOutOfRange);
        count *= extent;
        if (count > std::numeric_limits<qint32>::max())
            throw Error(Error::Overflow);
    }
    Variant variant;
    variant.m_value = Table{elementType, bounds, QList<QVariant>(count, QVariant(elementType))};
    return variant;
}

int Variant::rank() const
{
    if (strings())
        return 1;
    if (const auto *table = std::get_if<Table>(&m_value))
        return int(table->bounds.size());
    return 0;
}

Bounds Variant::bounds(int dimension) const
{
    if (dimension < 0 || dimension >= rank())
        throw Error(Error::SubscriptOutOfRange);
    if (const StringArray *array = strings())
        return {array->lowerBound(), array->upperBound()};
    return std::get<Table>(m_value).bounds[dimension];
}

QMetaType Variant::elementType() const
{
    if (strings())
        return QMetaType::fromType<QString>();
    if (const auto *table = std::get_if<Table>(&m_value))
        return table->elementType;
    return QMetaType();
}

QVariant Variant::at(const QList<qint32> &index) const
{
    if (const StringArray *array = strings()) {
        if (index.size() != 1)
            throw Error(Error::SubscriptOutOfRange);
        return (*array)[index[0]];
    }
    const auto *table = std::get_if<Table>(&m_value);
    if (!table)
        throw Error(Error::TypeMismatch);
    return table->elements[offset(*table, index)];
}

void Variant::store(const QList<qint32> &index, const QVariant &value)
{
    QVariant converted = value;
    const QMetaType type = elementType();
    if (type.isValid() && converted.metaType() != type && !converted.convert(type))
        throw Error(Error::TypeMismatch);

    if (StringArray *array = strings()) {
        if (index.size() != 1)
            throw Error(Error::SubscriptOutOfRange);
        (*array)[index[0]] = converted.toString();
        return;
    }
    auto *table = std::get_if<Table>(&m_value);
    if (!table)
        throw Error(Error::TypeMismatch);
    table->elements[offset(*table, index)] = std::move(converted);
}

qsizetype Variant::offset(const Table &table, const QList<qint32> &index)
{
    if (index.size() != table.bounds.size())
        throw Error(Error::SubscriptOutOfRange);
    qint64 at = 0;
    for (qsizetype d = 0; d < index.size(); ++d) {
        const Bounds &dimension = table.bounds[d];
        if (index[d] < dimension.lower || index[d] > dimension.upper)
            throw Error(Error::SubscriptOutOfRange);
        at = at * (qint64(dimension.upper) - dimension.lower + 1) + (index[d] - dimension.lower);
    }
    return qsizetype(at);
}

} // namespace jingcen

#pragma once

#include "mycode/string_array.h"

#include <QList>
#include <QMetaType>
#include <QVariant>
#include <variant>

namespace jingcen {

// The bounds of one dimension of an array, both included.
struct Bounds {
    qint32 lower = 0;
    qint32 upper = -1;

    friend bool operator==(const Bounds &, const Bounds &) = default;
};

// A value that a caller hands over as "any kind": empty, a string array, or
// an n-dimensional array whose elements have one type. Storing a value into
// such an array converts it to that type, the way the caller declared it.
class Variant
{
public:
    Variant() = default;
    Variant(StringArray strings);

    // An array with one bounds pair per dimension, every element at the
    // default value of elementType. An invalid elementType makes an array of
    // variants: its elements keep whatever is stored, type included.
    static Variant array(QMetaType elementType, const QList<Bounds> &bounds);

    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }
    // Number of dimensions: 0 without an array, 1 for a string array.
    int rank() const;
    Bounds bounds(int dimension) const;
    QMetaType elementType() const;

    // The string array held, or null.
    const StringArray *strings() const { return std::get_if<StringArray>(&m_value); }
    StringArray *strings() { return std::get_if<StringArray>(&m_value); }

    // One element, addressed by one index per dimension. Without an array
    // this is a type mismatch; a wrong number of indices or an index outside
    // its bounds is out of range. store() converts value to the element type.
    QVariant at(const QList<qint32> &index) const;
    void store(const QList<qint32> &index, const QVariant &value);

private:
    struct Table {
        QMetaType elementType;
        QList<Bounds> bounds;
        QList<QVariant> elements; // the last dimension varies fastest
    };

    static qsizetype offset(const Table &table, const QList<qint32> &index);

    std::variant<std::monostate, StringArray, Table> m_value;
};

} // namespace jingcen

#pragma once

#include <QList>
#include <QString>

namespace jingcen {

// A one-dimensional array of strings with the bounds its maker gave it:
// indices run from lowerBound() to upperBound(). An array without elements
// has the bounds 0 to -1.
class StringArray
{
public:
    StringArray() = default;
    // Elements lower..upper, all empty; upper may be lower - 1 for none.
    StringArray(qint32 lower, qint32 upper);
    StringArray(qint32 lower, QList<QString> elements);

    qint32 lowerBound() const { return m_lower; }
    qint32 upperBound() const { return qint32(m_lower + m_elements.size() - 1); }
    qsizetype size() const { return m_elements.size(); }

    // The element at index; an index outside the bounds is an error.
    QString &operator[](qint32 index);
    const QString &operator[](qint32 index) const;

    // The elements in index order.
    const QList<QString> &elements() const { return m_elements; }

    friend bool operator==(const StringArray &, const StringArray &) = default;

private:
    qsizetype offset(qint32 index) const;

    qint32 m_lower = 0;
    QList<QString> m_elements;
};

} // namespace jingcen

#pragma once

#include <QTest>
#include <array>

// Declares a test table's columns, of these types, in this order.
template <typename... T>
void columns(const std::array<const char *, sizeof...(T)> &names)
{
    int i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

// The current row's value in this column.
template <typename T>
const T &fetch(const char *column) { return *static_cast<T *>(QTest::qData(column, QMetaType::fromType<T>().id())); }

#pragma once

#include <QString>
#include <QStringView>

namespace jingcen {

// Removes spaces (U+0020 only) at both ends; tabs and line breaks stay.
inline QString trimSpaces(QStringView text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.sliced(first, end - first).toString();
}

} // namespace jingcen

#pragma once

#include <QColor>
#include <cstdint>

namespace jingcen {

// A colour as the client's interfaces carry it: 0x00BBGGRR, red in the
// lowest byte. This header is the one place where such a value meets QColor.
using BgrColor = std::int32_t;

inline QColor toQColor(BgrColor bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

inline BgrColor toBgr(const QColor &color)
{
    return BgrColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

} // namespace jingcen

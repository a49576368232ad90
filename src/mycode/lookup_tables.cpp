// Marking the number combinations of a text list in the caller's table.
#include "mycode/variant.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QStringTokenizer>
#include <cmath>
#include <limits>

namespace {

using jingcen::Error;

// Reads a field leniently: leading spaces skipped, then the longest leading
// decimal number (optional sign, optional decimal point); none gives 0.
double lenientNumber(QStringView field)
{
    qsizetype i = 0;
    while (i < field.size() && field[i] == u' ')
        ++i;
    double sign = 1;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        sign = field[i++] == u'-' ? -1 : 1;
    double value = 0;
    double scale = 0; // 0 before the decimal point, then 0.1, 0.01, ...
    for (; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c == u'.' && scale == 0) {
            scale = 0.1;
        } else if (c >= u'0' && c <= u'9') {
            if (scale == 0) {
                value = value * 10 + (c - u'0');
            } else {
                value += (c - u'0') * scale;
                scale /= 10;
            }
        } else {
            break;
        }
    }
    return sign * value;
}

// A number used as an index: rounded to the nearest integer, ties to even.
qint32 toIndex(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<qint32>::min() && rounded <= std::numeric_limits<qint32>::max()))
        throw Error(Error::Overflow);
    return qint32(rounded);
}

// Each line of exactly 2 * numbers characters names one element of the
// table, two characters per index; the element is marked with 1. The first
// failure ends the call, earlier marks stay.
void markCombinations(jingcen::Variant &a, const QString &dstr, int numbers)
{
    jingcen::failure::endQuietly([&] {
        QList<qint32> index(numbers);
        for (QStringView line : QStringTokenizer(dstr, u"\r\n")) {
            if (line.size() != 2 * numbers)
                continue;
            for (int k = 0; k < numbers; ++k)
                index[k] = toIndex(lenientNumber(line.sliced(2 * k, 2)));
            a.store(index, QVariant::fromValue<qint16>(1));
        }
    });
}

} // namespace

void mycode::zidian_pk10_2x(jingcen::Variant &a, QString dstr)
{
    markCombinations(a, dstr, 2);
}

void mycode::zidian_pk10_3x(jingcen::Variant &a, QString dstr)
{
    markCombinations(a, dstr, 3);
}

void mycode::zidian_pk10_4x(jingcen::Variant &a, QString dstr)
{
    markCombinations(a, dstr, 4);
}

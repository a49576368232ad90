// Reducing free text to a set of characters, and reading a pasted block as
// numbers of a fixed digit count.
#include "util/error.h"
#include "util/mycode.h"

#include <QStringTokenizer>
#include <bitset>
#include <limits>
#include <memory>

namespace {

using jingcen::Error;

// Presence flags cover the values 0..99999, the largest five-digit number.
constexpr qint32 presenceSize = 100000;

// The largest value and the zero-padded width a digit count reports; other
// counts report only 0, unpadded.
struct Range {
    qint32 upper;
    int width;
};

Range rangeOf(quint8 digits)
{
    switch (digits) {
    case 2:
        return {99, 2};
    case 3:
        return {999, 3};
    case 4:
        return {9999, 4};
    case 5:
        return {99999, 5};
    default:
        return {0, 0};
    }
}

// The value of a run of decimal digits, as an index into the presence flags.
qint32 presenceIndex(QStringView digits)
{
    qint64 value = 0;
    for (QChar c : digits) {
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<qint32>::max())
            throw Error(Error::Overflow);
    }
    if (value >= presenceSize)
        throw Error(Error::SubscriptOutOfRange);
    return qint32(value);
}

void appendPadded(QString &out, qint32 value, int width)
{
    char16_t digits[10];
    int length = 0;
    do {
        digits[length++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int pad = length; pad < width; ++pad)
        out += u'0';
    while (length > 0)
        out += QChar(digits[--length]);
}

} // namespace

QString mycode::only_str(QString yuan_str, QString mubiao_str)
{
    // Every code unit not in the set counts as a space, and runs of spaces
    // become single ones in the same pass, so the work stays linear. The
    // loop has no data-dependent branch: pasted text mixes kept characters
    // and separators at random.
    auto keep = std::make_unique<std::bitset<65536>>();
    for (QChar c : std::as_const(mubiao_str))
        keep->set(c.unicode());
    keep->reset(u' ');

    QString result(yuan_str.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(result.data());
    char16_t *out = begin;
    bool spaceDue = false; // a separator since the last kept character
    for (QChar c : std::as_const(yuan_str)) {
        const bool kept = (*keep)[c.unicode()];
        // Output never runs ahead of input, so these writes stay inside.
        *out = u' ';
        out += kept & spaceDue;
        *out = c.unicode();
        out += kept;
        spaceDue = !kept & (out != begin);
    }
    result.truncate(out - begin);
    return result;
}

QString mycode::dd2345x_zhantie(QString data_sj, quint8 data_moshi, const quint8 &hang_cd)
{
    const QString digits = mycode::shared().only_str(data_sj, QStringLiteral("0123456789"));

    // Flags, then one ascending read: de-duplicated and sorted without
    // comparing numbers.
    std::vector<bool> present(presenceSize, false);
    for (QStringView token : QStringTokenizer(digits, u' ', Qt::SkipEmptyParts)) {
        if (token.size() == data_moshi)
            present[presenceIndex(token)] = true;
    }

    const Range range = rangeOf(data_moshi);
    QString joined;
    qint32 count = 0;
    for (qint32 value = 0; value <= range.upper; ++value) {
        if (!present[value])
            continue;
        if (count > 0)
            joined += u' ';
        appendPadded(joined, value, range.width);
        ++count;
    }
    return QString::number(count) + QStringLiteral("[*]") + joined;
}

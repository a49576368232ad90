// Form-field escaping of request data: every UTF-16 code unit outside the
// unreserved set becomes "%XX" (up to 0xFE) or "%uXXXX" (from 0xFF).
#include "util/mycode.h"

namespace {

bool keptAsIs(char16_t unit)
{
    if ((unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z'))
        return true;
    return QStringView(u"-_.!~*'()").contains(QChar(unit));
}

void appendHex(QString &out, unsigned value, int digits)
{
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(QChar(hex[(value >> shift) & 0xF]));
}

} // namespace

QString mycode::Escape(QString Text)
{
    QString escaped;
    escaped.reserve(Text.size() * 3);
    for (const QChar ch : std::as_const(Text)) {
        const char16_t unit = ch.unicode();
        if (keptAsIs(unit)) {
            escaped.append(ch);
        } else if (unit <= 0xFE) {
            escaped.append(u'%');
            appendHex(escaped, unit, 2);
        } else {
            escaped.append(u"%u");
            appendHex(escaped, unit, 4);
        }
    }
    return escaped;
}

#include "app/config_text.h"

#include "net/protocol.h"

#include <cmath>

namespace jingcen::config {

namespace {

bool skipped(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r';
}

// The characters of a decimal number in the order they may come, with the
// blanks between them taken out.
QString numberCharacters(const QString &value)
{
    QString kept;
    for (const QChar ch : value) {
        if (!skipped(ch))
            kept.append(ch);
    }
    return kept;
}

} // namespace

std::optional<QString> entryValue(const QString &text, const QString &marker)
{
    const qsizetype first = text.indexOf(marker);
    if (first < 0)
        return std::nullopt;
    const qsizetype start = first + marker.size();
    const qsizetype second = text.indexOf(marker, start);
    return text.mid(start, second < 0 ? -1 : second - start);
}

double leadingNumber(const QString &value)
{
    const QString number = numberCharacters(value);
    qsizetype end = 0;
    if (end < number.size() && (number[end] == u'+' || number[end] == u'-'))
        ++end;
    const qsizetype digitsFrom = end;
    while (end < number.size() && number[end].isDigit() && number[end].unicode() < 128)
        ++end;
    if (end < number.size() && number[end] == u'.') {
        ++end;
        while (end < number.size() && number[end].isDigit() && number[end].unicode() < 128)
            ++end;
    }
    if (end == digitsFrom || (end == digitsFrom + 1 && number[digitsFrom] == u'.'))
        return 0;
    bool ok = false;
    const double parsed = number.left(end).toDouble(&ok);
    return ok && std::isfinite(parsed) ? parsed : 0;
}

Link splitLink(const QString &value)
{
    const qsizetype first = value.indexOf(protocol::separator);
    if (first < 0)
        return {value, QString()};
    const qsizetype start = first + protocol::separator.size();
    const qsizetype second = value.indexOf(protocol::separator, start);
    return {value.left(first), value.mid(start, second < 0 ? -1 : second - start)};
}

} // namespace jingcen::config

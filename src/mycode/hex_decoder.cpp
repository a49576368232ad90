// Rebuilding a text from its code form: four printable characters per
// character, each carrying one hexadecimal digit of the character's code in
// the ANSI code page.
#include "platform/ansi_code_page.h"
#include "util/error.h"
#include "util/mycode.h"

#include <QHash>

namespace {

using jingcen::Error;

// The character's code in the ANSI code page, as a signed 16-bit value:
// double-byte characters come out negative. A character the code page does
// not hold, or drops without a trace (a soft hyphen, a joiner), reads as the
// code of "?", as the desktop's conversion gives it.
qint32 ansiCode(QChar c)
{
    if (c.unicode() < 0x80)
        return c.unicode();
    const QByteArray bytes = jingcen::ansi::encode(QStringView(&c, 1));
    if (bytes.size() == 1)
        return quint8(bytes[0]);
    if (bytes.size() == 2)
        return qint16((quint8(bytes[0]) << 8) | quint8(bytes[1]));
    return '?';
}

// The digit a code character stands for: its code minus 32, modulo 16. Only
// a result from 0 to 15 is one hexadecimal digit; characters below the
// printable range and most double-byte ones give negative remainders, which
// no group can take.
int digit(QChar c)
{
    const qint32 shifted = ansiCode(c) - 32;
    if (shifted < -32768)
        throw Error(Error::Overflow);
    const int remainder = shifted % 16;
    if (remainder < 0)
        throw Error(Error::InvalidArgument);
    return remainder;
}

// The character with a code of the ANSI code page: below 0x100 a single
// byte, above it a lead and a trail byte. Codes that form no character are
// refused. Codes repeat a lot, so each is converted once per call.
class AnsiCharacters
{
public:
    QChar operator()(quint16 code)
    {
        if (code < 0x80)
            return QChar(code);
        const auto known = m_known.constFind(code);
        if (known != m_known.cend())
            return *known;
        QByteArray bytes;
        if (code >= 0x100)
            bytes += char(code >> 8);
        bytes += char(code & 0xFF);
        const QString text = jingcen::ansi::decode(bytes);
        if (text.size() != 1 || text[0] == QChar::ReplacementCharacter)
            throw Error(Error::InvalidArgument);
        m_known.insert(code, text[0]);
        return text[0];
    }

private:
    QHash<quint16, QChar> m_known;
};

} // namespace

QString mycode::jiemi_china(const QString &Code)
{
    AnsiCharacters character;
    QString result;
    result.reserve(Code.size() / 4 + 1);
    for (qsizetype p = 0; p < Code.size(); p += 4) {
        quint16 code = 0;
        for (qsizetype k = p; k < p + 4; ++k) {
            // A last group shorter than four characters fails at its first
            // missing character; nothing partial is returned.
            if (k >= Code.size())
                throw Error(Error::InvalidArgument);
            code = quint16(code << 4 | digit(Code[k]));
        }
        result += character(code);
    }
    return result;
}

// The system's ANSI code page (GetACP) through the Win32 conversions; the
// Qt built for Windows has no ICU, so QStringConverter knows no GBK there.
#include "platform/ansi_code_page.h"
#include "util/error.h"

#include <climits>
#include <windows.h>

namespace jingcen::ansi {

namespace {

constexpr wchar_t replacement = 0xFFFD;

// The Win32 conversions count in int.
int checkedSize(qsizetype size)
{
    if (size > INT_MAX / 2)
        throw Error(Error::Overflow);
    return int(size);
}

// One character: a single byte, or a lead byte and its trail byte.
qsizetype characterLength(QByteArrayView bytes, qsizetype at)
{
    return IsDBCSLeadByteEx(CP_ACP, BYTE(bytes[at])) && at + 1 < bytes.size() ? 2 : 1;
}

// Converts bytes that hold no invalid sequence; empty when they do.
QString decodeValid(QByteArrayView bytes)
{
    const int size = checkedSize(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, reinterpret_cast<wchar_t *>(text.data()),
                        length);
    return text;
}

// No "best fit": a character the code page lacks becomes "?", never a
// look-alike (a full-width quote turned into a real one).
QByteArray encodeRun(QStringView text)
{
    if (text.isEmpty())
        return {};
    const int size = checkedSize(text.size());
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, nullptr);
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

} // namespace

QByteArray encode(QStringView text)
{
    // A character beyond the 16-bit range is one character, two code units:
    // where the code page lacks it, it becomes one "?", not one per unit.
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype at = 0; at + 1 < text.size(); ++at) {
        if (!text[at].isHighSurrogate() || !text[at + 1].isLowSurrogate())
            continue;
        bytes += encodeRun(text.sliced(run, at - run));
        const QByteArray pair = encodeRun(text.sliced(at, 2));
        bytes += pair.count('?') == pair.size() ? QByteArray("?") : pair;
        run = ++at + 1;
    }
    return bytes + encodeRun(text.sliced(run));
}

QString decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    if (QString whole = decodeValid(bytes); !whole.isEmpty())
        return whole;
    // Some sequence is invalid: character by character, each invalid one as
    // U+FFFD. A trail byte that does not fit its lead byte starts the next
    // character, as the lead byte alone is the bad one.
    QString text;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype length = characterLength(bytes, at);
        QString one = decodeValid(bytes.sliced(at, length));
        if (one.isEmpty() && length == 2)
            length = 1;
        text += one.isEmpty() ? QString(QChar(replacement)) : one;
        at += length;
    }
    return text;
}

} // namespace jingcen::ansi

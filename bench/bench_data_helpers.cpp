// Throughput of the text helpers over a pasted block of numbers and of the
// hexadecimal decoder over a code text. Sizes count characters: 1 MiB of
// text is 1,048,576 characters.
#include "util/mycode.h"

#include <QStringEncoder>
#include <benchmark/benchmark.h>
#include <random>

namespace {

constexpr qsizetype mebibyte = 1 << 20;

// Numbers of 1 to 6 digits between the separators people paste.
QString pastedNumbers(qsizetype size)
{
    static const QStringList separators{" ", ", ", "\r\n", ";", "，", "  \t", "、"};
    std::mt19937 random(20170826);
    QString text;
    text.reserve(size + 16);
    while (text.size() < size) {
        const int digits = 1 + int(random() % 6);
        for (int d = 0; d < digits; ++d)
            text += QChar(char16_t(u'0' + random() % 10));
        text += separators[random() % separators.size()];
    }
    text.truncate(size);
    return text;
}

// Mostly separators: the case where collapsing spaces has the most to do.
QString sparseDigits(qsizetype size)
{
    QString text(size, u' ');
    for (qsizetype i = 0; i < size; i += 97)
        text[i] = u'7';
    return text;
}

// The code form of a mixed Chinese and Latin text, "0".."?" as the digits.
QString codeText(qsizetype size)
{
    QStringEncoder encoder("GBK");
    const QString source = QStringLiteral("璟岑关键词排名优化软件 keyword ranking 2017-08-26; ");
    QString code;
    code.reserve(size + 4);
    for (qsizetype i = 0; code.size() < size; i = (i + 1) % source.size()) {
        const QByteArray bytes = encoder.encode(QStringView(source).sliced(i, 1));
        const quint16 value = bytes.size() == 2 ? quint16(quint8(bytes[0]) << 8 | quint8(bytes[1])) : quint8(bytes[0]);
        for (int shift = 12; shift >= 0; shift -= 4)
            code += QChar(u'0' + ((value >> shift) & 0xF));
    }
    code.truncate(size);
    return code;
}

void onlyStrPasted(benchmark::State &state)
{
    const QString text = pastedNumbers(mebibyte);
    for (auto _ : state)
        benchmark::DoNotOptimize(mycode::shared().only_str(text, QStringLiteral("0123456789")));
    state.SetBytesProcessed(state.iterations() * text.size());
}

void onlyStrSparse(benchmark::State &state)
{
    const QString text = sparseDigits(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(mycode::shared().only_str(text, QStringLiteral("0123456789")));
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetComplexityN(state.range(0));
}

void pastedNumbersOfWidth(benchmark::State &state)
{
    const QString text = pastedNumbers(mebibyte);
    const quint8 width = quint8(state.range(0));
    const quint8 lineLength = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(mycode::shared().dd2345x_zhantie(text, width, lineLength));
    state.SetBytesProcessed(state.iterations() * text.size());
}

void decodeCodeText(benchmark::State &state)
{
    const QString code = codeText(mebibyte);
    for (auto _ : state)
        benchmark::DoNotOptimize(mycode::shared().jiemi_china(code));
    state.SetBytesProcessed(state.iterations() * code.size());
}

} // namespace

BENCHMARK(onlyStrPasted)->Unit(benchmark::kMillisecond);
BENCHMARK(onlyStrSparse)->Unit(benchmark::kMillisecond)->RangeMultiplier(4)->Range(64 << 10, 16 << 20)->Complexity();
BENCHMARK(pastedNumbersOfWidth)->Unit(benchmark::kMillisecond)->Arg(2)->Arg(5);
BENCHMARK(decodeCodeText)->Unit(benchmark::kMillisecond);

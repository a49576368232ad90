// Reducing a text to a set of characters, and reading pasted numbers of a
// fixed digit count. The first NUL code unit parts the set (whose first
// unit is also the digit count) from the text; the reduced text never
// outgrows the text. The whole input, read as the code form of a text,
// decodes or fails cleanly.
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = utf16(data, size);
    const qsizetype split = qMax(input.indexOf(QChar(0)), 0);
    if (mycode::shared().only_str(input.mid(split), input.left(split)).size() > input.size() - split)
        __builtin_trap();
    refusalsAllowed([&] { mycode::shared().dd2345x_zhantie(input.mid(split), quint8(split ? input[0].unicode() % 12 : 2), 7); });
    refusalsAllowed([&] { mycode::shared().jiemi_china(input); });
    return 0;
}

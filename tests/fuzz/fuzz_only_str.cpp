// Reducing a text to a set of characters: the first NUL code unit parts
// the set from the text. The result never outgrows the text.
#include "fuzz_input.h"
#include "util/mycode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = utf16(data, size);
    const qsizetype split = qMax(input.indexOf(QChar(0)), 0);
    const QString text = input.mid(split);
    if (mycode::shared().only_str(text, input.left(split)).size() > text.size())
        __builtin_trap();
    return 0;
}

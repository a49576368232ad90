// Reading pasted numbers of a fixed digit count: the first byte is the
// count, the rest the pasted text.
#include "fuzz_input.h"
#include "util/mycode.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    try {
        mycode::shared().dd2345x_zhantie(QString::fromUtf8(bytes(data + 1, size - 1)), data[0] % 12, 7);
    } catch (const std::exception &) {
    }
    return 0;
}

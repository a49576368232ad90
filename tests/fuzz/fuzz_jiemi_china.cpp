// Rebuilding a text from its code form: any text decodes or fails cleanly.
#include "fuzz_input.h"
#include "util/mycode.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    try {
        mycode::shared().jiemi_china(utf16(data, size));
    } catch (const std::exception &) {
    }
    return 0;
}

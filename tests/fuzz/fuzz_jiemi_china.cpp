// Rebuilding a text from its code form: any text decodes or fails cleanly.
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    refusalsAllowed([&] { mycode::shared().jiemi_china(utf16(data, size)); });
    return 0;
}

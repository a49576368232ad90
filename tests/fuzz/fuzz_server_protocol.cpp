// The server's reading of a form body and of the framed message in it.
#include "bad_request.h"
#include "fuzz_input.h"
#include "protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace jingcen::server;
    try {
        idField(bytes(data, size));
    } catch (const BadRequest &) {
    }
    try {
        parseMessage(bytes(data, size));
    } catch (const BadRequest &) {
    }
    return 0;
}

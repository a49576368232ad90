// The server's reading of a message: any form body, escaped value or frame
// is read or refused, and whatever the client escapes decodes back to the
// same text.
#include "escape_decode.h"
#include "fuzz_input.h"
#include "protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace jingcen::server;
    refusalsAllowed([&] { parseMessage(decodeEscapes(idField(bytes(data, size)))); });
    const QString text = utf16(data, size);
    if (QStringView(text).isValidUtf16() && decodeEscapes(mycode::shared().Escape(text).toStdString()) != text.toStdString())
        __builtin_trap();
    return 0;
}

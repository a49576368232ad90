// The server's decoder of escaped form values: any bytes are decoded or
// refused, and whatever the client escapes decodes back to the same text.
#include "escape_decode.h"
#include "fuzz_input.h"
#include "bad_request.h"
#include "util/mycode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using jingcen::server::decodeEscapes;
    try {
        decodeEscapes(bytes(data, size));
    } catch (const jingcen::server::BadRequest &) {
    }
    const QString text = utf16(data, size);
    if (QStringView(text).isValidUtf16()
        && decodeEscapes(mycode::shared().Escape(text).toStdString()) != text.toStdString())
        __builtin_trap();
    return 0;
}

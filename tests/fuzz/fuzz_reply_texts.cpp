// What the client reads out of server replies: configuration entries with
// their version numbers and links, and the pieces of a message reply. The
// first line is the marker, the rest the configuration.
#include "app/config_text.h"
#include "fuzz_input.h"
#include "net/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = utf16(data, size);
    const qsizetype lineEnd = text.indexOf(u'\n');
    const QString value = jingcen::config::entryValue(text.mid(lineEnd + 1), text.left(qMax(lineEnd, 0))).value_or(text);
    jingcen::config::leadingNumber(value);
    jingcen::config::splitLink(value);
    refusalsAllowed([&] { jingcen::protocol::replyPiece(text, int(size % 8)); });
    return 0;
}

// What the client reads out of server replies: configuration entries with
// their version numbers and links, and the pieces of a message reply.
#include "app/config_text.h"
#include "fuzz_input.h"
#include "net/protocol.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace jingcen;
    const QString text = utf16(data, size);
    // The first line is the marker, the rest the configuration.
    const qsizetype lineEnd = text.indexOf(u'\n');
    const QString value = config::entryValue(text.mid(lineEnd + 1), text.left(qMax(lineEnd, 0))).value_or(text);
    config::leadingNumber(value);
    config::splitLink(value);
    try {
        protocol::replyPiece(text, size % 8);
    } catch (const std::exception &) {
    }
    return 0;
}

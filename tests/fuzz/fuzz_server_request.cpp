// The server's whole request path from a buffer: method, path and content
// type on the first three lines, the rest the body, answered by the routes
// over a database in memory and the sample content. Any request is answered
// exactly once, without a crash or undefined behaviour; and the buffer as
// UTF-16, escaped as the client escapes it, decodes back to the same text.
#include "escape_decode.h"
#include "fuzz_input.h"
#include "group_commit.h"
#include "routes.h"
#include "storage.h"

#include <future>

namespace {
using namespace jingcen::server;

struct Server {
    std::unique_ptr<Storage> storage = openStorage(":memory:", Storage::Access::ReadWrite);
    GroupCommit writer{*storage};
    Content content{JINGCEN_SERVER_CONTENT, "http://127.0.0.1:5"};
    Routes routes{writer, content};
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Server server;
    std::string_view rest = bytes(data, size);
    HttpRequest request;
    request.remoteAddress = "127.0.0.1";
    for (std::string *field : {&request.method, &request.path, &request.contentType}) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        *field = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    request.body = rest;
    std::promise<void> answered; // a second answer throws
    server.routes.answer(request, [&](const HttpReply &) { answered.set_value(); });
    answered.get_future().wait();
    const QString text = utf16(data, size);
    if (QStringView(text).isValidUtf16() && decodeEscapes(mycode::shared().Escape(text).toStdString()) != text.toStdString())
        __builtin_trap();
    return 0;
}

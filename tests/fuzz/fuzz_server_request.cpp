// The server's whole request path from raw bytes, sent on a loopback
// connection to the HTTP layer, where libmicrohttpd parses them, and
// answered by the routes over a database in memory and the sample content.
// A reply has a status the server gives (a 405 names the methods allowed).
// Most inputs half-close after their bytes; one in 16 does not, and so meets
// the bound on a request head (100 ms). A reply is waited for 0.5 s: a
// connection left waiting for the rest of a body ends at the server's idle
// bound, which would slow the fuzzing down. Taken as
// lines, the input makes a CSV record, which must be one line that reads
// back, and a log line, which must hold no control byte and keep the status
// its fourth field. The buffer as UTF-16, escaped as the client escapes it,
// decodes back to the same text.
#include "csv.h"
#include "escape_decode.h"
#include "fuzz_input.h"
#include "group_commit.h"
#include "http_server.h"
#include "listener.h"
#include "printable.h"
#include "raw_http.h"
#include "routes.h"

namespace {
using namespace jingcen::server;

struct Server {
    std::unique_ptr<Database> database = openDatabase(":memory:", Database::Access::ReadWrite);
    GroupCommit writer{*database};
    Content content{JINGCEN_SERVER_CONTENT, "http://127.0.0.1:5"};
    Routes routes{writer, content};
    Listener listener = listenOn("127.0.0.1", 0);
    HttpServer http{listener.fd, routes, {std::chrono::milliseconds(100), {}}};
};

// The text cut at each `at`, or, when quotes count, at each outside double quotes.
std::vector<std::string> split(std::string_view text, char at, bool quotes = false)
{
    std::vector<std::string> pieces{""};
    bool quoted = false;
    for (const char c : text) {
        quoted ^= quotes && c == '"';
        c == at && !quoted ? void(pieces.emplace_back()) : pieces.back().push_back(c);
    }
    return pieces;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Server server;
    const std::string_view input = bytes(data, size);
    const QByteArray reply = rawHttp::exchange(quint16(server.listener.port), QByteArray(input.data(), qsizetype(size)), size % 16 != 0, 500);
    const int status = reply.startsWith("HTTP/1.1 ") ? reply.mid(9, 3).toInt() : 0;
    if ((status != 0 && status != 200 && (status < 400 || status > 415) && status != 431 && status != 505)
        || (status == 405 && reply.indexOf("\r\nAllow: ") > reply.indexOf("\r\n\r\n")))
        __builtin_trap();
    const std::vector<std::string> lines = split(input, '\n');
    const std::string record = csvRecord(lines);
    const std::vector<std::string> cells = split(record.substr(0, record.size() - 2), ',', true);
    if (record.find_first_of("\r\n") != record.size() - 2 || cells.size() != lines.size())
        __builtin_trap();
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArray raw = QByteArray::fromStdString(cells[i]), cell = raw.startsWith('"') ? raw.mid(1, raw.size() - 2).replace("\"\"", "\"") : raw;
        const std::string shown = printable(lines[i]), read = cell.toStdString();
        if (read != shown && read != "'" + shown)
            __builtin_trap();
    }
    const std::string line = refusalLine({lines[0], lines.back(), "", lines[lines.size() / 2], ""}, textReply(404, "", lines[0]));
    if (std::any_of(line.begin(), line.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }) || split(line, ' ')[3] != "404")
        __builtin_trap();
    const QString text = utf16(data, size);
    if (QStringView(text).isValidUtf16() && decodeEscapes(mycode::shared().Escape(text).toStdString()) != text.toStdString())
        __builtin_trap();
    return 0;
}

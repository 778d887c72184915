// Stands in for quarnel-browser: speaks the same protocol, through the same header, and
// answers each request from the table below by the request's path. Its option says how
// it behaves at the start and the end:
//   (none)        ready at once, ends when its input closes
//   --never-ready says nothing at all
//   --die-at-once ends with status 4 before it is ready
//   --stubborn    goes on after its input has closed
#include "fetch/browser_protocol.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace {

using namespace quarnel;
namespace protocol = browser_protocol;

void send(std::string_view message) {
    if (!protocol::writeAll(STDOUT_FILENO, protocol::framed(message))) {
        std::exit(1);
    }
}

// The request as the helper understood it, so a test sees that nothing was lost.
std::string echo(const HttpRequest& request) {
    std::string text = request.url + (request.keepCookies ? " with cookies" : " without cookies");
    for (const std::string& header : request.headers) {
        text += "\n" + header;
    }
    return text;
}

// Whether a request for "/silent" is still unanswered: its reply comes, too late, before
// the next request's, as a helper that only hung for a while would send it.
bool owesSilentReply = false;

void answer(const HttpRequest& request) {
    const std::string path = request.url.substr(request.url.find('/', request.url.find("//") + 2));
    if (std::exchange(owesSilentReply, false)) {
        send(protocol::replyMessage(HttpReply{.status = 200, .contentType = "", .body = "the late reply to /silent"}));
    }
    if (path == "/silent") {
        owesSilentReply = true;
    } else if (path == "/echo") {
        send(protocol::replyMessage(HttpReply{.status = 203, .contentType = "text/plain", .body = echo(request)}));
    } else if (path == "/bytes") {
        std::string body(1 << 20, '\0');
        for (std::size_t i = 0; i < body.size(); ++i) {
            body[i] = static_cast<char>(i * 7);
        }
        send(protocol::replyMessage(HttpReply{.status = 200, .contentType = "", .body = body}));
    } else if (path == "/pid") {
        send(protocol::replyMessage(HttpReply{.status = 200, .contentType = "", .body = std::to_string(::getpid())}));
    } else if (path == "/failed") {
        send(protocol::replyMessage(Failure{"net::ERR_NAME_NOT_RESOLVED (-105)"}));
    } else if (path == "/exit") {
        std::exit(3);
    } else if (path == "/garbage") {
        send("this is no reply");
    } else if (path == "/huge") {
        // A length no reply may have, and nothing after it.
        const std::string tooLong("\x7f\xff\xff\xff", 4);
        if (!protocol::writeAll(STDOUT_FILENO, tooLong)) {
            std::exit(1);
        }
    }
    // Any other path: no answer at all.
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "--die-at-once") {
        return 4;
    }
    if (mode != "--never-ready") {
        send(protocol::readyMessage());
    }
    protocol::MessageReader reader;
    char buffer[4096];
    for (ssize_t got; (got = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0;) {
        reader.add({buffer, static_cast<std::size_t>(got)});
        while (std::optional<std::string> message = reader.next()) {
            const Expected<HttpRequest> request = protocol::readRequest(*message);
            if (request) {
                answer(*request);
            } else {
                send(protocol::replyMessage(Failure{request.reason()}));
            }
        }
    }
    if (mode == "--stubborn") {
        ::pause();
    }
    return 0;
}

#pragma once

#include "fetch/http_transport.h"
#include "tools/fake-web/fake_web_server.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::testing {

// Answers requests from a script of pages written in UTF-8 and sent GBK-encoded,
// as the real services send them. A URL without a script fails to complete.
class ScriptedTransport final : public HttpTransport {
public:
    ScriptedTransport() = default;
    // Serves each (url, page) of `pages`.
    explicit ScriptedTransport(const auto& pages) {
        for (const auto& [url, page] : pages) {
            serve(url, page);
        }
    }

    // Each request for `url` takes the next answer; the last one repeats.
    // An empty optional is a request that does not complete.
    void script(const std::string& url, std::deque<std::optional<std::string>> answers) {
        scripts_[url] = std::move(answers);
    }
    void serve(const std::string& url, const std::string& page) { script(url, {page}); }

    Expected<HttpReply> fetch(const HttpRequest& request) override {
        const std::string& url = request.url;
        requests.push_back(url);
        if (onRequest) {
            onRequest(url);
        }
        auto found = scripts_.find(url);
        if (found == scripts_.end()) {
            return Failure{"no script for " + url};
        }
        auto& answers = found->second;
        std::optional<std::string> answer = answers.front();
        if (answers.size() > 1) {
            answers.pop_front();
        }
        if (!answer) {
            return Failure{"scripted to fail"};
        }
        return HttpReply{.status = 200, .contentType = "text/html", .body = fakeweb::toGbk(*answer)};
    }

    std::vector<std::string> requests;
    std::function<void(const std::string& url)> onRequest;

private:
    std::map<std::string, std::deque<std::optional<std::string>>> scripts_;
};

}  // namespace quarnel::testing

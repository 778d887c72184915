#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Collects one response as the HTTP client hands it over: header lines (status lines
// and the blank line that ends each header block included), then body bytes. A false
// return ends the transfer as a failure.
class ResponseReader {
public:
    explicit ResponseReader(std::size_t maxBodyBytes);

    // False for a Content-Length that is not a number, or announces more than the limit.
    bool headerLine(std::string_view line);
    // False once the body would pass the limit.
    bool bodyBytes(std::string_view bytes);

    // The body, or nothing when the last response broke off inside its header block.
    std::optional<std::string> body() &&;

private:
    std::size_t maxBodyBytes_;
    bool headComplete_ = false;
    std::string body_;
};

}  // namespace quarnel

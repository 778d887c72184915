#include "rules/html_page.h"

#include <algorithm>
#include <string>

#include <libxml/xpath.h>

namespace quarnel::rules {
namespace {

// libxml2 compiles nested expressions by recursion, deep enough on a long one to overflow
// the stack; a real rule is a line or two. Counted in characters, as the message says: the
// nesting comes from ASCII brackets and operators, so a rule's Chinese text in UTF-8 bytes
// adds nothing to the depth.
constexpr std::size_t kLongestExpression = 4096;

std::size_t characterCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// libxml2 tells why an expression does not compile only through its error handler, which
// would otherwise print to standard error. The handler is per thread; this swaps it in for
// one compile and puts the one before it back.
class CompileErrorCapture {
public:
    CompileErrorCapture() : previous_(xmlStructuredError), previousContext_(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(this, keep);
    }
    ~CompileErrorCapture() { xmlSetStructuredErrorFunc(previousContext_, previous_); }
    CompileErrorCapture(const CompileErrorCapture&) = delete;
    CompileErrorCapture& operator=(const CompileErrorCapture&) = delete;

    const std::string& message() const { return message_; }

private:
    static void keep(void* capture, xmlErrorPtr error) {
        auto& self = *static_cast<CompileErrorCapture*>(capture);
        if (self.message_.empty() && error != nullptr && error->message != nullptr) {
            self.message_ = error->message;
            while (!self.message_.empty() && (self.message_.back() == '\n' || self.message_.back() == ' ')) {
                self.message_.pop_back();
            }
            self.message_ += " at character " + std::to_string(error->int1 + 1);
        }
    }

    xmlStructuredErrorFunc previous_;
    void* previousContext_;
    std::string message_;
};

}  // namespace

Expected<Done> checkXPath(std::string_view expression) {
    // libxml2 reads the expression up to its first NUL, so one inside would hide the rest.
    if (expression.find('\0') != std::string_view::npos) {
        return Failure{"does not compile: holds a NUL character"};
    }
    if (characterCount(expression) > kLongestExpression) {
        return Failure{"is longer than " + std::to_string(kLongestExpression) + " characters"};
    }
    const std::string text(expression);
    CompileErrorCapture capture;
    xmlXPathCompExprPtr compiled = xmlXPathCompile(reinterpret_cast<const xmlChar*>(text.c_str()));
    if (compiled == nullptr) {
        return Failure{"does not compile: " + (capture.message().empty() ? "not an XPath expression" : capture.message())};
    }
    xmlXPathFreeCompExpr(compiled);
    return Done{};
}

}  // namespace quarnel::rules

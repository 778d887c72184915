#include "rules/html_page.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/globals.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <climits>
#include <cmath>
#include <memory>

namespace quarnel::rules {
namespace {

// The text arrives decoded (IGNORE_ENC: a <meta charset> must not make libxml2 decode it
// again). XML_PARSE_HUGE, which the HTML parser honours too, lifts the 10 MB limit on one
// text or comment: today's pages carry megabytes of inline data, and a page cut off there
// would lose its results.
constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                              HTML_PARSE_COMPACT | HTML_PARSE_IGNORE_ENC | XML_PARSE_HUGE;

void dropMessage(void*, const char*, ...) {}
void dropError(void*, xmlErrorPtr) {}

// libxml2 reports through handlers kept per thread and prints to stderr by default; a
// broken page or a bad rule must not. Whatever the thread had before comes back after.
class QuietLibxml {
public:
    QuietLibxml()
        : generic_(xmlGenericError),
          genericContext_(xmlGenericErrorContext),
          structured_(xmlStructuredError),
          structuredContext_(xmlStructuredErrorContext) {
        static const bool initialised = (xmlInitParser(), true);
        (void)initialised;
        xmlSetGenericErrorFunc(nullptr, dropMessage);
        xmlSetStructuredErrorFunc(nullptr, dropError);
    }
    ~QuietLibxml() {
        xmlSetGenericErrorFunc(genericContext_, generic_);
        xmlSetStructuredErrorFunc(structuredContext_, structured_);
    }
    QuietLibxml(const QuietLibxml&) = delete;
    QuietLibxml& operator=(const QuietLibxml&) = delete;

private:
    xmlGenericErrorFunc generic_;
    void* genericContext_;
    xmlStructuredErrorFunc structured_;
    void* structuredContext_;
};

struct XmlFree {
    void operator()(void* memory) const { xmlFree(memory); }
};

bool isNamed(const xmlNode* node, const char* name) {
    return xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

// The text a reader sees under `top`: script and style bodies are code, not text.
std::string visibleText(const xmlNode* top) {
    std::string text;
    const xmlNode* node = top->children;
    while (node != nullptr) {
        bool descend = false;
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content != nullptr) {
                text += reinterpret_cast<const char*>(node->content);
            }
        } else if (node->type == XML_ELEMENT_NODE) {
            descend = !isNamed(node, "script") && !isNamed(node, "style");
        }
        if (descend && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != top && node->next == nullptr) {
            node = node->parent;
        }
        node = node == top ? nullptr : node->next;
    }
    return text;
}

std::string textOf(const xmlNode* node) {
    if (node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE) {
        return visibleText(node);
    }
    if (node->type == XML_NAMESPACE_DECL) {
        const auto* ns = reinterpret_cast<const xmlNs*>(node);
        return ns->href != nullptr ? reinterpret_cast<const char*>(ns->href) : "";
    }
    std::unique_ptr<xmlChar, XmlFree> content(xmlNodeGetContent(node));
    return content ? reinterpret_cast<const char*>(content.get()) : "";
}

int appendToString(void* target, const char* bytes, int length) {
    static_cast<std::string*>(target)->append(bytes, static_cast<std::size_t>(length));
    return length;
}

std::string markupOf(xmlDoc* document, xmlNode* element) {
    std::string markup;
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(appendToString, nullptr, &markup, nullptr);
    if (output == nullptr) {
        return markup;
    }
    htmlNodeDumpFormatOutput(output, document, element, "UTF-8", 0);
    xmlOutputBufferClose(output);
    return markup;
}

XPathMatch matchOfText(std::string text, Finish finish) {
    XPathMatch match;
    match.count = text.empty() ? 0 : 1;
    if (match.count > 0) {
        match.value = finishText(text, finish);
    }
    return match;
}

}  // namespace

struct HtmlPage::Document {
    xmlDocPtr tree = nullptr;
    ~Document() { xmlFreeDoc(tree); }
};

HtmlPage::HtmlPage(std::string_view utf8Html) : document_(std::make_unique<Document>()) {
    QuietLibxml quiet;
    // libxml2 takes an int length; bodies are limited far below that when fetched.
    const int length = utf8Html.size() > INT_MAX ? INT_MAX : static_cast<int>(utf8Html.size());
    document_->tree = htmlReadMemory(utf8Html.data(), length, nullptr, "UTF-8", kParseOptions);
    // An empty body parses to nothing; an empty document answers every rule the same way.
    if (document_->tree == nullptr) {
        document_->tree = htmlNewDocNoDtD(nullptr, nullptr);
    }
}

HtmlPage::~HtmlPage() = default;

Expected<XPathMatch> HtmlPage::select(const XPathRule& rule) const {
    if (rule.expression.find('\0') != std::string::npos) {
        return Failure{"the XPath expression holds a NUL character"};
    }
    QuietLibxml quiet;
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(xmlXPathNewContext(document_->tree),
                                                                             xmlXPathFreeContext);
    if (!context) {
        return Failure{"out of memory while evaluating an XPath expression"};
    }
    // libxml2 tells what is wrong only through its last-error record (the quiet handlers
    // above keep it off stderr).
    xmlResetLastError();
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(rule.expression.c_str()), context.get()),
        xmlXPathFreeObject);
    if (!result) {
        const xmlError* error = xmlGetLastError();
        std::string reason = error != nullptr && error->message != nullptr ? error->message : "invalid expression";
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
            reason.pop_back();
        }
        return Failure{"XPath " + rule.expression + ": " + reason};
    }

    switch (result->type) {
        case XPATH_NODESET: {
            XPathMatch match;
            xmlNodeSetPtr nodes = result->nodesetval;
            if (nodes == nullptr || nodes->nodeNr == 0) {
                return match;
            }
            xmlXPathNodeSetSort(nodes);
            match.count = static_cast<std::size_t>(nodes->nodeNr);
            xmlNodePtr first = nodes->nodeTab[0];
            match.value = finishText(textOf(first), rule.finish);
            if (first->type == XML_ELEMENT_NODE) {
                match.outerHtml = markupOf(document_->tree, first);
            }
            return match;
        }
        case XPATH_STRING:
            return matchOfText(reinterpret_cast<const char*>(result->stringval), rule.finish);
        case XPATH_NUMBER: {
            // NaN is what XPath makes of a number that is not there.
            if (std::isnan(result->floatval)) {
                return XPathMatch{};
            }
            std::unique_ptr<xmlChar, XmlFree> printed(xmlXPathCastNumberToString(result->floatval));
            return matchOfText(reinterpret_cast<const char*>(printed.get()), rule.finish);
        }
        case XPATH_BOOLEAN:
            // A false test selected nothing: a blocked rule written as a test must not match.
            return result->boolval ? matchOfText("true", rule.finish) : XPathMatch{};
        default:
            return XPathMatch{};
    }
}

std::string HtmlPage::title() const {
    const auto title = select({.expression = "(//title)[1]", .finish = Finish::Text});
    return title && title->value ? *title->value : std::string();
}

}  // namespace quarnel::rules

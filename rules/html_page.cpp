#include "rules/html_page.h"

#include "base/memory_release.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/globals.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cmath>
#include <cstring>
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

// The page goes to libxml2 in pieces, as from a file: handed over whole it would be
// copied whole, and copied again on its way through the UTF-8 "decoder".
struct TextReader {
    std::string_view text;
    std::size_t at;
    ReleaseBehind* behind;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int readText(void* context, char* buffer, int length) {
    auto& reader = *static_cast<TextReader*>(context);
    const std::size_t piece = std::min(reader.text.size() - reader.at, static_cast<std::size_t>(std::max(length, 0)));
    std::memcpy(buffer, reader.text.data() + reader.at, piece);
    reader.at += piece;
    if (reader.behind != nullptr) {
        reader.behind->passed(reader.at);
    }
    return static_cast<int>(piece);
}

// The string value of an XPath argument, without a copy where it is one node's own text:
// libxml2's contains() copies its arguments, a text node of megabytes for each test of
// `text()[contains(., ...)]`. `copy` owns the value where one had to be made.
const xmlChar* stringValue(xmlXPathObject& argument, std::unique_ptr<xmlChar, XmlFree>& copy) {
    if (argument.type == XPATH_NODESET && argument.nodesetval != nullptr && argument.nodesetval->nodeNr > 0) {
        xmlXPathNodeSetSort(argument.nodesetval);  // the first in document order, as libxml2 takes it
        const xmlNode* first = argument.nodesetval->nodeTab[0];
        if (first->type == XML_TEXT_NODE || first->type == XML_CDATA_SECTION_NODE || first->type == XML_COMMENT_NODE ||
            first->type == XML_PI_NODE) {
            return first->content != nullptr ? first->content : reinterpret_cast<const xmlChar*>("");
        }
    }
    copy.reset(xmlXPathCastToString(&argument));
    return copy.get();
}

// contains() as libxml2 has it, reading text nodes in place. (libxml2's argument checks
// expect the parameters to be named so.)
void containsInPlace(xmlXPathParserContextPtr ctxt, int nargs) {
    CHECK_ARITY(2);
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> needle(valuePop(ctxt), xmlXPathFreeObject);
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> hay(valuePop(ctxt), xmlXPathFreeObject);
    std::unique_ptr<xmlChar, XmlFree> needleCopy;
    std::unique_ptr<xmlChar, XmlFree> hayCopy;
    const xmlChar* needleText = stringValue(*needle, needleCopy);
    const xmlChar* hayText = stringValue(*hay, hayCopy);
    if (needleText == nullptr || hayText == nullptr) {
        XP_ERROR(XPATH_MEMORY_ERROR);
    }
    valuePush(ctxt, xmlXPathNewBoolean(xmlStrstr(hayText, needleText) != nullptr ? 1 : 0));
}

// The functions evaluated in place of libxml2's own.
xmlXPathFunction inPlaceFunction(void*, const xmlChar* name, const xmlChar* namespaceUri) {
    return namespaceUri == nullptr && xmlStrEqual(name, reinterpret_cast<const xmlChar*>("contains")) != 0
               ? containsInPlace
               : nullptr;
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

HtmlPage::HtmlPage(std::string_view utf8Html) : HtmlPage(utf8Html, nullptr) {}

std::unique_ptr<HtmlPage> HtmlPage::consuming(std::string utf8Html) {
    ReleaseBehind behind(utf8Html);
    return std::unique_ptr<HtmlPage>(new HtmlPage(utf8Html, &behind));
}

HtmlPage::HtmlPage(std::string_view utf8Html, ReleaseBehind* behind) : document_(std::make_unique<Document>()) {
    QuietLibxml quiet;
    // An empty body parses to nothing; an empty document answers every rule the same way.
    if (!utf8Html.empty()) {
        TextReader reader{.text = utf8Html, .at = 0, .behind = behind};
        // Handed over whole, libxml2 drops a leading byte-order mark before it starts, then
        // looks for one more; read in pieces it skips the first step. Dropped here, the
        // trees come out the same.
        if (utf8Html.starts_with(kByteOrderMark)) {
            reader.at = kByteOrderMark.size();
        }
        document_->tree = htmlReadIO(readText, nullptr, &reader, nullptr, "UTF-8", kParseOptions);
    }
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
    xmlXPathRegisterFuncLookup(context.get(), inPlaceFunction, nullptr);
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

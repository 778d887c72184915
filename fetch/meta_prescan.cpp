#include "fetch/charset_labels.h"
#include "fetch/declared_charset.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quarnel {
namespace {

constexpr std::string_view kSpaces = "\t\n\f\r ";
// Labels a <meta> cannot mean literally, since the page's own bytes spelled it in ASCII.
constexpr std::string_view kUtf16Labels[] = {"csunicode", "iso-10646-ucs-2", "ucs-2",    "unicode",  "unicodefeff",
                                             "unicodefffe", "utf-16",        "utf-16be", "utf-16le"};

bool isSpace(char c) {
    return kSpaces.find(c) != std::string_view::npos;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The label as a <meta> means it: a UTF-16 label stands for UTF-8 and x-user-defined for
// windows-1252; nothing for a label this program does not know.
std::optional<std::string> meantLabel(std::string_view label) {
    std::string name = normalLabel(label);
    if (std::find(std::begin(kUtf16Labels), std::end(kUtf16Labels), name) != std::end(kUtf16Labels)) {
        return "utf-8";
    }
    if (name == "x-user-defined") {
        return "windows-1252";
    }
    return charsetNamed(name) ? std::optional(std::move(name)) : std::nullopt;
}

// The label after the first "charset" followed by '=' in a content value (already
// lower-cased): quoted, or up to white space or ';'. Nothing when there is none or its
// quote is not closed.
std::optional<std::string> labelInContent(std::string_view content) {
    for (std::size_t at = content.find("charset"); at != std::string_view::npos; at = content.find("charset", at)) {
        at = std::min(content.find_first_not_of(kSpaces, at + 7), content.size());
        if (at == content.size() || content[at] != '=') {
            continue;
        }
        at = std::min(content.find_first_not_of(kSpaces, at + 1), content.size());
        if (at == content.size()) {
            return std::nullopt;
        }
        if (content[at] == '"' || content[at] == '\'') {
            const std::size_t close = content.find(content[at], at + 1);
            return close == std::string_view::npos ? std::nullopt
                                                   : std::optional<std::string>(content.substr(at + 1, close - at - 1));
        }
        return std::string(content.substr(at, content.find_first_of("\t\n\f\r ;", at) - at));
    }
    return std::nullopt;
}

struct Attribute {
    std::string name;   // lower-cased
    std::string value;  // lower-cased
};

// One walk over the window. Running out of bytes anywhere ends it with nothing found:
// a tag cut off by the window's end cannot be trusted.
class Prescan {
public:
    explicit Prescan(std::string_view window) : bytes_(window) {}

    MetaDeclaration run() {
        scan();
        return {.label = found_, .passedOver = passedOver_};
    }

private:
    // Found: an attribute, or for a whole <meta> a label; None: the tag's '>' (a <meta>
    // that declares nothing usable); RanOut: the window's end.
    enum class Step { Found, None, RanOut };

    // Stops at the first <meta> that declares a label this program knows, or where the
    // bytes run out.
    void scan() {
        // Only a '<' can start anything the scan looks at.
        while ((at_ = bytes_.find('<', at_)) != std::string_view::npos) {
            const std::string_view rest = bytes_.substr(at_);
            if (rest.starts_with("<!--")) {
                // Up to a "-->", whose dashes may be the opening's own.
                if (!moveTo(bytes_.find("-->", at_ + 2), 2)) {
                    return;
                }
            } else if (startsMeta(rest)) {
                at_ += 5;
                if (meta() != Step::None) {
                    return;
                }
            } else if (startsOtherTag(rest)) {
                if (!moveTo(bytes_.find_first_of("\t\n\f\r >", at_), 0) || !skipAttributes()) {
                    return;
                }
            } else if (rest.starts_with("<!") || rest.starts_with("</") || rest.starts_with("<?")) {
                if (!moveTo(bytes_.find('>', at_), 0)) {
                    return;
                }
            }
            ++at_;
        }
    }

    static bool startsMeta(std::string_view rest) {
        return rest.size() > 5 && rest[0] == '<' && lower(rest[1]) == 'm' && lower(rest[2]) == 'e' &&
               lower(rest[3]) == 't' && lower(rest[4]) == 'a' && (isSpace(rest[5]) || rest[5] == '/');
    }

    static bool startsOtherTag(std::string_view rest) {
        return rest.size() > 1 && rest[0] == '<' &&
               (isLetter(rest[1]) || (rest.size() > 2 && rest[1] == '/' && isLetter(rest[2])));
    }

    bool moveTo(std::size_t found, std::size_t past) {
        at_ = found == std::string_view::npos ? bytes_.size() : found + past;
        return found != std::string_view::npos;
    }

    bool skipAttributes() {
        Attribute ignored;
        Step step = Step::Found;
        while ((step = nextAttribute(ignored)) == Step::Found) {
        }
        return step == Step::None;
    }

    // The attributes of a <meta>, weighed as browsers do: the first of each name counts;
    // charset= decides when present; a content="...charset=..." only beside
    // http-equiv="content-type".
    Step meta() {
        std::vector<std::string> seen;
        bool gotPragma = false;
        std::optional<bool> needPragma;
        std::optional<std::string> charset;  // a label, possibly one this program does not know
        Attribute attribute;
        for (Step step; (step = nextAttribute(attribute)) != Step::None;) {
            if (step == Step::RanOut) {
                return step;
            }
            if (std::find(seen.begin(), seen.end(), attribute.name) != seen.end()) {
                continue;
            }
            seen.push_back(attribute.name);
            if (attribute.name == "http-equiv") {
                gotPragma = gotPragma || attribute.value == "content-type";
            } else if (attribute.name == "content") {
                const std::optional<std::string> label = labelInContent(attribute.value);
                if (label && !charset) {
                    charset = label;
                    needPragma = true;
                }
            } else if (attribute.name == "charset") {
                charset = attribute.value;
                needPragma = false;
            }
        }
        if (!needPragma || (*needPragma && !gotPragma)) {
            return Step::None;
        }
        std::optional<std::string> meant = meantLabel(*charset);
        if (!meant) {
            if (passedOver_.empty()) {
                passedOver_ = normalLabel(*charset);
            }
            return Step::None;
        }
        found_ = std::move(*meant);
        return Step::Found;
    }

    // The next attribute of the tag at at_, or None at the tag's '>' (which at_ then points at).
    Step nextAttribute(Attribute& attribute) {
        attribute = {};
        while (at_ < bytes_.size() && (isSpace(bytes_[at_]) || bytes_[at_] == '/')) {
            ++at_;
        }
        if (at_ == bytes_.size()) {
            return Step::RanOut;
        }
        if (bytes_[at_] == '>') {
            return Step::None;
        }
        for (;; ++at_) {
            if (at_ == bytes_.size()) {
                return Step::RanOut;
            }
            const char c = bytes_[at_];
            if (c == '=' && !attribute.name.empty()) {
                ++at_;
                return value(attribute);
            }
            if (isSpace(c)) {
                break;
            }
            if (c == '/' || c == '>') {
                return Step::Found;
            }
            attribute.name += lower(c);
        }
        while (at_ < bytes_.size() && isSpace(bytes_[at_])) {
            ++at_;
        }
        if (at_ == bytes_.size()) {
            return Step::RanOut;
        }
        if (bytes_[at_] != '=') {
            return Step::Found;  // a name alone
        }
        ++at_;
        return value(attribute);
    }

    // The value after an attribute's '=': quoted (a '>' inside is part of it), or up to
    // white space or '>'.
    Step value(Attribute& attribute) {
        while (at_ < bytes_.size() && isSpace(bytes_[at_])) {
            ++at_;
        }
        if (at_ == bytes_.size()) {
            return Step::RanOut;
        }
        const char first = bytes_[at_];
        if (first == '"' || first == '\'') {
            const std::size_t close = bytes_.find(first, at_ + 1);
            if (close == std::string_view::npos) {
                return Step::RanOut;
            }
            for (const char c : bytes_.substr(at_ + 1, close - at_ - 1)) {
                attribute.value += lower(c);
            }
            at_ = close + 1;
            return Step::Found;
        }
        if (first == '>') {
            return Step::Found;
        }
        for (;; ++at_) {
            if (at_ == bytes_.size()) {
                return Step::RanOut;
            }
            const char c = bytes_[at_];
            if (isSpace(c) || c == '>') {
                return Step::Found;
            }
            attribute.value += lower(c);
        }
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::string found_;
    std::string passedOver_;
};

}  // namespace

MetaDeclaration metaCharset(std::string_view body) {
    return Prescan(body.substr(0, kMetaWindow)).run();
}

}  // namespace quarnel

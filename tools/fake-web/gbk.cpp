#include "tools/fake-web/fake_web_server.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace fakeweb {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : descriptor_(::iconv_open(to, from)) {
        if (descriptor_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::system_error(errno, std::generic_category(), std::string("iconv_open ") + from + " -> " + to);
        }
    }
    ~Converter() { ::iconv_close(descriptor_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    iconv_t get() const { return descriptor_; }

private:
    iconv_t descriptor_;
};

}  // namespace

std::string toGbk(std::string_view utf8) {
    Converter converter("GBK", "UTF-8");
    // GBK needs at most two bytes for a character that UTF-8 spends at least one on.
    std::string gbk(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* out = gbk.data();
    std::size_t outLeft = gbk.size();
    if (::iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("text GBK cannot hold, or bad UTF-8, at byte " + std::to_string(utf8.size() - inLeft));
    }
    gbk.resize(gbk.size() - outLeft);
    return gbk;
}

}  // namespace fakeweb

#include "fetch/page_decoding.h"

#include "fetch/bytes_to_bstr.h"

namespace quarnel {

// Stand-in until the declared-charset reader lands: fixed GB tables only.
DecodedPage decodePage(const HttpReply& reply, const std::string& fixed, const std::string& /*fallback*/) {
    return {BytesToBstr(reply.body, fixed.empty() ? "gb18030" : fixed), fixed, "fixed by the profile"};
}

}  // namespace quarnel

#pragma once

#include <string>
#include <string_view>

namespace fakeweb {

// Stands in a route's body for the domain the request asks about, so that sample
// pages answer for whatever domain was typed.
inline constexpr std::string_view kDomainPlaceholder = "{{domain}}";

// The domain a target asks about, percent-decoded: the query's `url` value, or its
// `wd` value without the "site:" prefix. Empty when there is neither.
std::string requestedDomain(std::string_view target);

// The value of `name` among urlencoded pairs ("a=1&back=http%3A%2F%2F..."), as a query or a
// posted form carries them, decoded ('+' is a space); empty without one.
std::string formValue(std::string_view pairs, std::string_view name);

// body with each placeholder replaced by the requested domain, GBK-encoded where GBK
// can hold it (the sample pages are GBK), else as its bytes came.
std::string fillDomainPlaceholder(std::string_view body, std::string_view target);

}  // namespace fakeweb

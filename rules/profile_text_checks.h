#pragma once

#include "base/expected.h"

#include <string_view>

namespace quarnel::rules {

// The texts of a profile that the program later turns into requests, checked as they are
// read so that a profile cannot make a request of a kind the program never makes. Each
// failure's reason completes a sentence about the key ("... must start with http://").

// A page address: literally http:// or https:// (any case), then only the placeholders
// {domain}, {now} and {now-SECONDS}.
Expected<Done> checkUrlTemplate(std::string_view url);

// A request header line "Name: value", one line, with the same placeholders and {key}.
Expected<Done> checkHeader(std::string_view header);

// A JSON pointer: empty (the whole answer) or "/" steps, with "~" only as ~0 or ~1.
Expected<Done> checkJsonPointer(std::string_view pointer);

}  // namespace quarnel::rules

#pragma once

#include "panels/url_opener.h"

namespace quarnel {

// Opens URLs in the desktop's default browser.
class DesktopUrlOpener final : public UrlOpener {
public:
    void open(const std::string& url) override;
};

}  // namespace quarnel

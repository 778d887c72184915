#include "controls/start_up.h"

#include "controls/resume_next.h"
#include "fetch/service_hosts.h"
#include "fetch/service_urls.h"

namespace quarnel {

void runStartUp(ControlModel& controls, const LastDomainFile& lastDomain) noexcept {
    resumeNext([&] { controls.navigate(BrowserPanel::WebBrowser2, bannerPageUrl()); });
    resumeNext([&] { controls.setText(TextBox::Text3, lastDomain.read()); });
    // Only a line with nothing at all on it falls back: spaces are a domain as typed.
    resumeNext([&] {
        if (controls.text(TextBox::Text3).empty()) {
            controls.setText(TextBox::Text3, std::string(hosts::kMakerSite));
        }
    });
    resumeNext([&] { controls.navigate(BrowserPanel::WebBrowser1, checkPageUrl(controls.text(TextBox::Text3))); });
}

}  // namespace quarnel

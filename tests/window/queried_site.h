#pragma once

// The site the window tests query: what a query of it asks for, the pages that answer
// and what the window then shows. moc cannot read sample_pages.h: include this under
// #ifndef Q_MOC_RUN.

#include "panels/url_opener.h"
#include "tests/support/sample_pages.h"

#include <QLabel>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace quarnel::testing {

inline const std::string kDomain = "example.com";
inline const std::string kSnapshot = "2026-12-5";
inline const std::string kSearch = "http://www.baidu.com/s?wd=site%3Aexample.com";
inline const std::string kLookup = "http://pr.quarnel.example/querypr.asp?url=example.com";
// In order; the pages answer in UTF-8.
inline const std::vector<std::string> kFetches = {
    kSearch + "&lm=1", kSearch + "&lm=7", kSearch + "&lm=30", kSearch, kSearch, kLookup, kLookup};
inline const std::pair<std::string, std::string> kPages[] = {{kFetches[0], countPage("12")},
                                                             {kFetches[1], countPage("345")},
                                                             {kFetches[2], countPage("6,789")},
                                                             {kSearch, searchPage("10,000", kDomain, kSnapshot)},
                                                             {kLookup, pageRankPage("3", "该网站PR值正常")}};
// The result captions once the pages above have answered, as resultCaptions() lists them.
inline const QStringList kShownResults = {"3", "pr真实", "12", "345", "首页第一", "2026-12-5", "6,789", "10,000"};

inline QStringList resultCaptions(const QObject& form) {
    QStringList captions;
    for (const char* name : {"Label1", "Label2", "Label4", "Label5", "Label9", "Label11", "Label12", "Label13"}) {
        captions << form.findChild<QLabel*>(name)->text();
    }
    return captions;
}

class NoOpener final : public UrlOpener {
public:
    void open(const std::string& /*url*/) override {}
};

}  // namespace quarnel::testing

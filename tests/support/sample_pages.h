#pragma once

#include <string>

namespace quarnel::testing {

// Pages shaped like the services' answers, cut down to what the checks look for.

inline std::string countPage(const std::string& count) {
    return "<html><div>百度一下，找到相关网页" + count + "篇</div></html>";
}

inline std::string firstResultBlock(const std::string& linkHost, const std::string& snapshotText) {
    return R"html(><h3><a onmousedown="return c({'fm':'as'})" href="http://)html" + linkHost +
           R"(/" target="_blank">首页</a></h3><font color=#008000>)" + linkHost + "/ " + snapshotText +
           R"(  </font> - <a href="http://cache.example/c?m=1">)";
}

inline std::string searchPage(const std::string& count, const std::string& linkHost, const std::string& snapshotText) {
    return "<html>百度一下，找到相关网页" + count + R"(篇<table id="1")" + firstResultBlock(linkHost, snapshotText) +
           R"(百度快照</a></table><table id="2">second</table></html>)";
}

inline std::string pageRankPage(const std::string& pageRank, const std::string& remark,
                                const std::string& hijackLink = "") {
    return "<html><span><img src='http://pr.example.cn/pagerank" + pageRank + ".gif' border=0></span><br>" + remark +
           "<br>" + hijackLink + "</html>";
}

inline std::string hijackLink(const std::string& domain, const std::string& text) {
    return R"(劫持<a href="http://)" + domain + R"(" target=_blank>)" + text + "</a>";
}

}  // namespace quarnel::testing

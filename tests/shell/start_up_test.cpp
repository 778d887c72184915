#include "shell/start_up.h"

#include "shell/memory_control_model.h"

#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

TEST(StartUp, RestoresTheRememberedDomainOrFallsBackToTheMakersOwn) {
    struct Case {
        std::optional<std::string> fileContent;  // nothing: no file at all
        std::string domain;
        std::string checkPage;
    };
    const fs::path file = fs::temp_directory_path() / ("quarnel-start-up-" + std::to_string(::getpid()));
    for (const Case& c : {
             Case{std::nullopt, "www.quarnel.example", "http://check.quarnel.example/divuv/?url=www.quarnel.example"},
             Case{"   \n", "   ", "http://check.quarnel.example/divuv/?url=%20%20%20"},
             Case{"example.com\r\n", "example.com", "http://check.quarnel.example/divuv/?url=example.com"},
         }) {
        fs::remove(file);
        if (c.fileContent) {
            std::ofstream(file, std::ios::binary) << *c.fileContent;
        }
        MemoryControlModel controls;
        runStartUp(controls, LastDomainFile(file));

        EXPECT_EQ(controls.text(TextBox::Text3), c.domain);
        EXPECT_EQ(controls.navigations(BrowserPanel::WebBrowser1), std::vector<std::string>{c.checkPage});
        EXPECT_EQ(controls.navigations(BrowserPanel::WebBrowser2),
                  std::vector<std::string>{"http://www.quarnel.example/tb/vi60.html"});
    }
    fs::remove(file);
}

}  // namespace
}  // namespace quarnel

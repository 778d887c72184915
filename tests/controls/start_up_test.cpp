#include "controls/start_up.h"

#include "controls/memory_control_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <tuple>

#include <unistd.h>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

TEST(StartUp, RestoresTheRememberedDomainOrFallsBackToTheMakersOwn) {
    const fs::path file = fs::temp_directory_path() / ("quarnel-start-up-" + std::to_string(::getpid()));
    // No file at all, a blank line, a remembered domain: what the box shows, what the check panel opens.
    const std::tuple<std::optional<std::string>, std::string, std::string> cases[] = {
        {std::nullopt, "www.quarnel.example", "http://check.quarnel.example/divuv/?url=www.quarnel.example"},
        {"   \n", "   ", "http://check.quarnel.example/divuv/?url=%20%20%20"},
        {"example.com\r\n", "example.com", "http://check.quarnel.example/divuv/?url=example.com"},
    };
    for (const auto& [fileContent, domain, checkPage] : cases) {
        fs::remove(file);
        if (fileContent) {
            std::ofstream(file, std::ios::binary) << *fileContent;
        }
        MemoryControlModel controls;
        runStartUp(controls, LastDomainFile(file));

        EXPECT_EQ(controls.text(TextBox::Text3), domain);
        EXPECT_EQ(controls.navigations(BrowserPanel::WebBrowser1), std::vector<std::string>{checkPage});
        EXPECT_EQ(controls.navigations(BrowserPanel::WebBrowser2),
                  std::vector<std::string>{"http://www.quarnel.example/tb/vi60.html"});
    }
    fs::remove(file);
}

}  // namespace
}  // namespace quarnel

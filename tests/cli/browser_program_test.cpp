#include "cli/browser_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace quarnel::cli {
namespace {

// An install's layout in a folder of its own: bin/ holds quarnel-cli, and quarnel-browser
// lies beside it or in the package's private folder, or not at all.
class BrowserProgramTest : public ::testing::Test {
protected:
    ~BrowserProgramTest() override { std::filesystem::remove_all(root_); }

    std::filesystem::path put(const std::filesystem::path& path, bool executable = true) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "#!/bin/sh\n";
        std::filesystem::permissions(
            path, executable ? std::filesystem::perms::owner_all : std::filesystem::perms::owner_read);
        return path;
    }

    const std::filesystem::path root_ =
        std::filesystem::temp_directory_path() / ("quarnel-browser-program-" + std::to_string(::getpid()));
    const std::filesystem::path bin_ = root_ / "bin";
    const std::filesystem::path installed_ =
        (bin_ / QUARNEL_PRIVATE_FOLDER_FROM_BINDIR / "quarnel-browser").lexically_normal();
};

TEST_F(BrowserProgramTest, TheVariableDecidesWhenSetElseBesideQuarnelCliThenThePrivateFolder) {
    EXPECT_EQ(findBrowserProgram(nullptr, bin_).path, "");
    EXPECT_EQ(findBrowserProgram(nullptr, bin_).absent, "the browser engine is not installed");

    put(installed_);
    EXPECT_EQ(findBrowserProgram(nullptr, bin_).path, installed_);

    const auto beside = put(bin_ / "quarnel-browser");
    EXPECT_EQ(findBrowserProgram(nullptr, bin_).path, beside);

    const auto named = put(root_ / "elsewhere" / "engine");
    EXPECT_EQ(findBrowserProgram(named.c_str(), bin_).path, named);

    const struct {
        std::string variable;
        std::string absent;
    } refusals[] = {
        {"", "the browser engine is turned off (QUARNEL_BROWSER is empty)"},
        {(root_ / "missing").string(), "QUARNEL_BROWSER names no program: " + (root_ / "missing").string()},
        {put(root_ / "not-executable", false).string(),
         "QUARNEL_BROWSER names no program: " + (root_ / "not-executable").string()},
        {root_.string(), "QUARNEL_BROWSER names no program: " + root_.string()},
    };
    for (const auto& refusal : refusals) {
        const BrowserProgram found = findBrowserProgram(refusal.variable.c_str(), bin_);
        EXPECT_EQ(found.path, "") << refusal.variable;
        EXPECT_EQ(found.absent, refusal.absent);
    }
}

}  // namespace
}  // namespace quarnel::cli

#include "platform/linux/XdgAutostartLoginItemService.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "support/TemporaryDirectory.h"

namespace lumadesk {
namespace {

namespace fs = std::filesystem;

class XdgAutostartLoginItemServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_program = m_root.path() / "bin" / "lumadesk";
        fs::create_directories(m_program.parent_path());
        std::ofstream(m_program) << "#!/bin/sh\n";
        m_environment["XDG_CONFIG_HOME"] = (m_root.path() / "config").string();
        m_environment["HOME"] = (m_root.path() / "home").string();
    }

    XdgAutostartLoginItemService service(std::optional<fs::path> program = std::nullopt) const {
        return XdgAutostartLoginItemService(
            program ? program : m_program,
            [environment = m_environment](const std::string& name) -> std::optional<std::string> {
                const auto found = environment.find(name);
                if (found == environment.end()) return std::nullopt;
                return found->second;
            });
    }
    fs::path entry() const { return m_root.path() / "config" / "autostart" / "lumadesk.desktop"; }

    static std::string contents(const fs::path& path) {
        std::ostringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }

    TemporaryDirectory m_root;
    fs::path m_program;
    std::map<std::string, std::string> m_environment;
};

TEST_F(XdgAutostartLoginItemServiceTest, RegisteringWritesTheEntryAndUnregisteringRemovesIt) {
    auto items = service();
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);

    items.registerItem();
    const std::string text = contents(entry());
    EXPECT_TRUE(text.starts_with("[Desktop Entry]\n"));
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=" + m_program.string() + "\n"), std::string::npos);
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);

    // Registering again replaces the entry; no temporary files are left beside it.
    items.registerItem();
    EXPECT_EQ(std::distance(fs::directory_iterator(entry().parent_path()), fs::directory_iterator()), 1);

    items.unregisterItem();
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    items.unregisterItem();  // nothing to remove is not a failure

    // An entry hidden in its main group counts as not registered; a hidden action does not.
    fs::create_directories(entry().parent_path());
    std::ofstream(entry()) << "[Desktop Entry]\nName=Lumadesk\nHidden = true\n";
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    std::ofstream(entry()) << "[Desktop Action x]\nHidden=true\n[Desktop Entry]\nName=Lumadesk\n";
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
}

TEST_F(XdgAutostartLoginItemServiceTest, StartsTheGivenProgramOrTheRunningOneAndRefusesAMissingOne) {
    auto missing = service(m_root.path() / "missing");
    EXPECT_EQ(missing.status(), LoginItemStatus::notFound);
    try {
        missing.registerItem();
        FAIL() << "registered a program that does not exist";
    } catch (const LoginItemError& error) {
        EXPECT_NE(std::string(error.what()).find(entry().string()), std::string::npos) << error.what();
    }
    EXPECT_FALSE(fs::exists(entry()));

    XdgAutostartLoginItemService running(
        std::nullopt,
        [this](const std::string& name) -> std::optional<std::string> { return m_environment.at(name); });
    running.registerItem();
    EXPECT_NE(contents(entry()).find("\nExec=" + fs::read_symlink("/proc/self/exe").string() + "\n"),
              std::string::npos);
}

TEST_F(XdgAutostartLoginItemServiceTest, HomeIsTheFallbackAndWithoutOneRequestsFailReadably) {
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules require.
    m_environment["XDG_CONFIG_HOME"] = "relative/config";
    EXPECT_EQ(service().entryPath(), m_root.path() / "home" / ".config" / "autostart" / "lumadesk.desktop");
    m_environment.erase("XDG_CONFIG_HOME");
    service().registerItem();
    EXPECT_TRUE(fs::exists(m_root.path() / "home" / ".config" / "autostart" / "lumadesk.desktop"));

    m_environment.clear();
    auto items = service();
    EXPECT_EQ(items.entryPath(), std::nullopt);
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_THROW(items.registerItem(), LoginItemError);
    EXPECT_THROW(items.unregisterItem(), LoginItemError);
}

TEST_F(XdgAutostartLoginItemServiceTest, FailuresToWriteOrRemoveTheEntryNameIt) {
    // A file where the folder should be stops even a privileged user.
    fs::create_directories(entry().parent_path().parent_path());
    std::ofstream(entry().parent_path()) << "not a folder";
    try {
        service().registerItem();
        FAIL() << "wrote into a file";
    } catch (const LoginItemError& error) {
        EXPECT_TRUE(std::string(error.what())
                        .starts_with("Cannot write the autostart entry " + entry().string() + ": "))
            << error.what();
    }

    // A non-empty folder in the entry's place cannot be removed.
    fs::remove(entry().parent_path());
    fs::create_directories(entry() / "child");
    try {
        service().unregisterItem();
        FAIL() << "removed a folder";
    } catch (const LoginItemError& error) {
        EXPECT_TRUE(
            std::string(error.what()).starts_with("Cannot remove the autostart entry " + entry().string()))
            << error.what();
    }
}

TEST(XdgAutostartEntryTextTest, ExecQuotesReservedCharactersAndEscapesPercentAndBackslash) {
    auto execLine = [](const std::string& program) {
        const std::string text = XdgAutostartLoginItemService::entryText(program);
        const auto start = text.find("\nExec=") + 6;
        return text.substr(start, text.find('\n', start) - start);
    };
    EXPECT_EQ(execLine("/usr/bin/lumadesk"), "/usr/bin/lumadesk");
    EXPECT_EQ(execLine("/opt/My Apps/lumadesk"), "\"/opt/My Apps/lumadesk\"");
    EXPECT_EQ(execLine("/opt/100%/lumadesk"), "/opt/100%%/lumadesk");
    EXPECT_EQ(execLine("/opt/$x`y\"z/lumadesk"), "\"/opt/\\\\$x\\\\`y\\\\\"z/lumadesk\"");
    EXPECT_EQ(execLine("/opt/a\\b/lumadesk"), "\"/opt/a\\\\\\\\b/lumadesk\"");
    EXPECT_EQ(execLine("/opt/line\nbreak"), "\"/opt/line\\nbreak\"");
}

}  // namespace
}  // namespace lumadesk

#include "instrument/driver_choice.h"

#include <gtest/gtest.h>

#include "tests/instrument/scripted_driver.h"

namespace wl {
namespace {

TEST(FallbackDriver, OpensThroughTheFirstDriverThatFindsTheConverter) {
    test::VirtualClock clock;
    auto first = std::make_unique<test::ScriptedDriver>(clock);
    auto second = std::make_unique<test::ScriptedDriver>(clock);
    first->present = [](const std::string& d) { return d == "T7310"; };
    second->present = [](const std::string& d) { return d == "T7300-EX"; };
    test::ScriptedDriver* tty = first.get();
    test::ScriptedDriver* usb = second.get();
    std::vector<std::unique_ptr<IFtdiDriver>> drivers;
    drivers.push_back(std::move(first));
    drivers.push_back(std::move(second));
    FallbackDriver driver(std::move(drivers));

    FtHandle a = 0;
    FtHandle b = 0;
    ASSERT_EQ(driver.OpenEx("T7300-EX", ft::kOpenByDescription, b), ft::kOk);
    ASSERT_EQ(driver.OpenEx("T7310", ft::kOpenByDescription, a), ft::kOk);
    EXPECT_NE(a, b);
    uint32_t written = 0;
    EXPECT_EQ(driver.Write(b, "usb", 3, written), ft::kOk);
    EXPECT_EQ(driver.Write(a, "tty", 3, written), ft::kOk);
    EXPECT_EQ(usb->written, "usb");
    EXPECT_EQ(tty->written, "tty");
    EXPECT_EQ(driver.Close(b), ft::kOk);
    EXPECT_EQ(driver.Write(b, "x", 1, written), ft::kInvalidHandle);

    FtHandle none = 5;
    EXPECT_EQ(driver.OpenEx("T7300-IV", ft::kOpenByDescription, none), ft::kDeviceNotFound);
    EXPECT_EQ(none, 0u);
    // A converter found but busy is not looked for through the next driver.
    tty->statuses["OpenEx"] = {ft::kDeviceNotOpened};
    EXPECT_EQ(driver.OpenEx("T7300-EX", ft::kOpenByDescription, none), ft::kDeviceNotOpened);
}

TEST(DriverChoice, NamesAndEnvironment) {
    EXPECT_EQ(ParseDriverKind("tty"), DriverKind::Tty);
    EXPECT_EQ(ParseDriverKind("libftdi"), DriverKind::LibFtdi);
    EXPECT_EQ(ParseDriverKind("auto"), DriverKind::Auto);
    EXPECT_EQ(ParseDriverKind("d2xx"), std::nullopt);
    ::setenv("WAYLOAD_PORT", "/dev/pts/9", 1);
    ::setenv("WAYLOAD_DRIVER", "libftdi", 1);
    const SerialSettings settings = SerialSettingsFromEnvironment();
    ::unsetenv("WAYLOAD_PORT");
    ::unsetenv("WAYLOAD_DRIVER");
    EXPECT_EQ(settings.port, std::filesystem::path("/dev/pts/9"));
    EXPECT_EQ(settings.driver, DriverKind::LibFtdi);
    EXPECT_EQ(SerialSettingsFromEnvironment().port, std::nullopt);
}

}  // namespace
}  // namespace wl

// No converter is attached where the tests run: what can be checked is that looking for one
// answers cleanly and that handles are checked.

#include "instrument/libftdi_driver.h"

#include <gtest/gtest.h>

namespace wl {
namespace {

TEST(LibFtdiDriver, AbsentConverterAndUnknownHandlesAnswerWithAStatus) {
    LibFtdiDriver driver;
    FtHandle handle = 7;
    EXPECT_NE(driver.OpenEx("no such converter here", ft::kOpenByDescription, handle), ft::kOk);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(driver.OpenEx("x", 1, handle), ft::kInvalidParameter);

    char buffer[4];
    uint32_t count = 9;
    EXPECT_EQ(driver.Read(123, buffer, 4, count), ft::kInvalidHandle);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(driver.Write(123, buffer, 4, count), ft::kInvalidHandle);
    EXPECT_EQ(driver.SetBaudRate(123, 500000), ft::kInvalidHandle);
    EXPECT_EQ(driver.Purge(123, 3), ft::kInvalidHandle);
    EXPECT_EQ(driver.Close(123), ft::kInvalidHandle);
}

}  // namespace
}  // namespace wl

#include "instrument/tty_lookup.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;

// Lays out sysfs as the kernel does for a converter: the class entry links to the tty below the
// USB interface, whose parent is the USB device with its product string.
void AddConverter(const fs::path& sysfs, const std::string& tty, const std::string& usbDevice,
                  const std::string& product) {
    const fs::path device = sysfs / "devices" / "pci0000:00" / "usb1" / usbDevice;
    const fs::path ttyFolder = device / (usbDevice + ":1.0") / tty / "tty" / tty;
    fs::create_directories(ttyFolder);
    test::WriteFile(device / "idVendor", "0403\n");
    test::WriteFile(device / "idProduct", "6001\n");
    if (!product.empty()) {
        test::WriteFile(device / "product", product + "\n");
    }
    test::WriteFile(device / (usbDevice + ":1.0") / tty / "latency_timer", "16\n");
    fs::create_directories(sysfs / "class" / "tty");
    fs::create_directory_symlink(ttyFolder, sysfs / "class" / "tty" / tty);
}

TEST(TtyLookup, FindsTheTtyWhoseUsbDeviceCarriesTheProduct) {
    test::TempFolder sysfs;
    AddConverter(sysfs.path(), "ttyUSB0", "1-1", "USB Serial Converter");
    AddConverter(sysfs.path(), "ttyUSB12", "1-2", "Pellix S");
    AddConverter(sysfs.path(), "ttyUSB2", "1-3", "Pellix S");
    AddConverter(sysfs.path(), "ttyUSB3", "1-4", "");  // no product string at all
    fs::create_directories(sysfs / "class" / "tty" / "ttyS0");

    const auto found = FindTtyByProduct(sysfs.path(), "Pellix S");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->device, fs::path("/dev/ttyUSB2"));  // by number, not by name
    EXPECT_EQ(found->latencyTimer,
              sysfs / "class" / "tty" / "ttyUSB2" / "device" / "latency_timer");

    EXPECT_EQ(FindTtyByProduct(sysfs.path(), "Gresa"), std::nullopt);
    EXPECT_EQ(FindTtyByProduct(sysfs.path(), "Pellix"), std::nullopt);  // whole string only
    EXPECT_EQ(FindTtyByProduct(sysfs / "missing", "Pellix S"), std::nullopt);
}

}  // namespace
}  // namespace wl

#include "tests/faults/fault_fixtures.h"

#include <stdexcept>

#include "common/utf16.h"
#include "container/container_file.h"
#include "tests/support/temp_folder.h"

namespace wl::faults {

namespace fs = std::filesystem;
using test::CompressibleBytes;
using test::RandomBytes;

Tree RouteTree() {
    return Complete({{"a.txt", "alpha"},
                     {"empty.txt", ""},
                     {"sub/b.txt", CompressibleBytes(3000, 1)},
                     {"sub/deeper/big.bin", RandomBytes(300 * 1024, 2)},
                     {"sub/empty", kFolder}});
}

Tree DataTree() {
    return Complete({{"data.bin", RandomBytes(20000, 3)}, {"notes/n.txt", "measured on site"}});
}

Tree OldRouteTree() {
    return Complete({{"a.txt", "old alpha"},
                     {"only-old.txt", "from the route before"},
                     {"sub/old.bin", RandomBytes(5000, 4)}});
}

Tree NewRouteTree() {
    return Complete({{"a.txt", "new alpha"},
                     {"empty.txt", ""},
                     {"sub/new.bin", RandomBytes(200 * 1024, 5)},
                     {"sub/empty", kFolder}});
}

Tree AddedRouteTree() {
    return Complete({{"b.txt", "beta"}, {"S/F", "0123456789"}});
}

Tree OtherRouteTree() {
    return Complete({{"c.txt", "gamma"}});
}

std::string PackedContainer(const fs::path& scratch, const std::vector<PackedProject>& projects) {
    fs::create_directories(scratch);
    const fs::path file = scratch / "packed.container";
    BDL::ContainerFile container;
    if (!container.Create(file)) {
        throw std::runtime_error("cannot create " + file.string());
    }
    for (size_t i = 0; i < projects.size(); ++i) {
        const fs::path folder = scratch / ("project" + std::to_string(i));
        WriteTree(folder, projects[i].tree);
        std::u16string error;
        if (container.AddFolder(projects[i].name, projects[i].type, folder, nullptr, 0, 100,
                                error) == nullptr) {
            throw std::runtime_error("cannot pack " + folder.string() + ": " + Utf16ToUtf8(error));
        }
    }
    int cause = 0;
    if (!container.Finish(cause) || !container.Close()) {
        throw std::runtime_error("cannot finish " + file.string());
    }
    std::string bytes = test::ReadFile(file);
    fs::remove_all(scratch);
    return bytes;
}

}  // namespace wl::faults

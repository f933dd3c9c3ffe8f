// Opens arbitrary bytes as a container, lists it, verifies it and extracts every project into a
// temporary folder, as wayload-cli would. Anything written outside that folder is a failure.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/file_ops.h"
#include "platform/file_error.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Sandbox() {
    static const fs::path sandbox = [] {
        std::string pattern = (fs::temp_directory_path() / "wayload-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return fs::path(pattern);
    }();
    return sandbox;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& sandbox = Sandbox();
    const fs::path input = sandbox / "input.rdx";
    const fs::path destination = sandbox / "dest";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    BDL::ContainerFile container;
    if (container.Open(input)) {
        size_t listed = 0;
        for (const auto& project : container.GetProjectList().projects) {
            for (const auto& item : project->items) {
                listed += item->name.size();
            }
            std::u16string error;
            try {
                container.VerifyProject(*project, nullptr, 0, 100, error);
                if (wl::IsPlainName(project->name)) {
                    const fs::path target = destination / *wl::Utf16ToPath(project->name);
                    if (wl::CreateFolderPath(target)) {
                        container.ExtractProject(*project, target, nullptr, 0, 100, error);
                    }
                }
            } catch (const wl::FileError&) {
                // A write error of the destination is a clean failure too.
            }
        }
        (void)listed;
    }
    // Nothing but the input and the destination may ever appear in the sandbox.
    for (const auto& entry : fs::directory_iterator(sandbox)) {
        if (entry.path() != input && entry.path() != destination) {
            std::fprintf(stderr, "written outside the destination: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    fs::remove_all(destination);
    return 0;
}

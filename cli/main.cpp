// wayload-cli: the headless companion of the window program. It packs folders into container
// files, lists, extracts and verifies them.

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/commands.h"
#include "instrument/trace.h"
#include "platform/program_version.h"

int main(int argc, char** argv) {
    using namespace wl::cli;
    CLI::App app("Wayload's companion for the terminal: route and export containers.",
                 "wayload-cli");
    app.set_version_flag("--version", std::string("wayload-cli ") + wl::kProgramVersion);
    app.require_subcommand(1);

    // How the serial converter is reached; the environment gives the defaults.
    wl::SerialSettings serial = wl::SerialSettingsFromEnvironment();
    std::string driverName;
    std::string port;
    bool trace = false;
    app.add_option("--port", port, "Device path of the serial converter (overrides WAYLOAD_PORT)");
    app.add_option("--driver", driverName, "Converter driver: auto, tty or libftdi")
        ->check(CLI::IsMember({"auto", "tty", "libftdi"}));
    app.add_flag("--trace", trace, "Write the serial link's trace lines to stderr");

    int packType = 1;
    std::filesystem::path packOut;
    std::vector<std::filesystem::path> packFolders;
    CLI::App* pack = app.add_subcommand(
        "pack", "Pack each FOLDER as one project named after it into the container OUT.");
    pack->add_option("--type", packType, "Project type of every folder")->capture_default_str();
    pack->add_option("OUT", packOut, "Container file to write")->required();
    pack->add_option("FOLDER", packFolders, "Folders to pack, in this order")->required();

    bool listJson = false;
    std::filesystem::path listFile;
    CLI::App* list = app.add_subcommand(
        "list", "List the projects of a container: type, name, items and packed bytes.");
    list->add_flag("--json", listJson, "Print one JSON document with every item");
    list->add_option("FILE", listFile, "Container file")->required();

    std::optional<int> extractType;
    std::filesystem::path extractFile;
    std::filesystem::path extractDestination;
    CLI::App* extract =
        app.add_subcommand("extract", "Extract every project into DEST/<project name>.");
    extract->add_option("--type", extractType, "Extract only the projects of this type");
    extract->add_option("FILE", extractFile, "Container file")->required();
    extract->add_option("DEST", extractDestination, "Destination folder")->required();

    std::filesystem::path verifyFile;
    CLI::App* verify = app.add_subcommand(
        "verify", "Restore every image of a container in memory and check its size.");
    verify->add_option("FILE", verifyFile, "Container file")->required();

    CLI::App* detect = app.add_subcommand(
        "detect", "Look once for a connected instrument, as the window does on every tick.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version are successes; every other parse error is a usage error.
        return app.exit(error) == 0 ? kExitSuccess : 2;
    }

    if (!port.empty()) {
        serial.port = std::filesystem::path(port);
    }
    if (!driverName.empty()) {
        serial.driver = *wl::ParseDriverKind(driverName);
    }
    if (trace) {
        wl::EnableTrace();
    }

    if (detect->parsed()) {
        return RunDetect(serial);
    }
    if (pack->parsed()) {
        return RunPack(packOut, packFolders, packType);
    }
    if (list->parsed()) {
        return RunList(listFile, listJson);
    }
    if (extract->parsed()) {
        return RunExtract(extractFile, extractDestination, extractType);
    }
    return RunVerify(verifyFile);
}

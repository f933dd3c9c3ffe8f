// wayload-cli: the headless companion of the window program. It packs folders into container
// files, lists, extracts and verifies them, and runs the window's transfers.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <new>

#include "cli/commands.h"
#include "instrument/trace.h"
#include "platform/program_version.h"

namespace {

int Run(int argc, char** argv) {
    using namespace wl::cli;
    CLI::App app(
        "Wayload's companion for the terminal: route and export containers, and the transfers.",
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

    // Which instrument download and upload work with, and who answers their questions.
    TransferOptions transfer;
    std::string modelName = "TKB";
    bool answerYes = false;
    bool answerNo = false;
    const std::string transferGroup = "Download and upload";
    CLI::Option* analyzer =
        app.add_option("--analyzer", transfer.analyzerRoot,
                       "Take ROOT as a connected analyzer's drive root instead of detecting one")
            ->type_name("ROOT")
            ->group(transferGroup);
    app.add_option("--model", modelName, "The model of the --analyzer")
        ->check(CLI::IsMember({"TKA", "TKB", "TKC"}))
        ->needs(analyzer)
        ->capture_default_str()
        ->group(transferGroup);
    app.add_flag("--demo", transfer.demo,
                 "Work with the demo's simulated TKB analyzer (a folder labelled TKB_DEMO in the "
                 "user's data folder), or with --serial its simulated serial instrument")
        ->excludes(analyzer)
        ->group(transferGroup);
    app.add_flag("--serial", transfer.serialOnly,
                 "Look only for the serial instrument, not for analyzer drives")
        ->excludes(analyzer)
        ->group(transferGroup);
    CLI::Option* yes =
        app.add_flag("--yes", answerYes, "Answer Yes to every question")->group(transferGroup);
    app.add_flag("--no", answerNo, "Answer No to every question")
        ->excludes(yes)
        ->group(transferGroup);

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

    std::filesystem::path downloadOut;
    std::vector<std::string> selectNames;
    CLI::App* download = app.add_subcommand(
        "download", "Move routes and measured data from the instrument into the export file OUT.");
    // The instrument options may also follow the command's name.
    download->fallthrough();
    CLI::Option* select =
        download
            ->add_option("--select", selectNames,
                         "Tick exactly these folders of the analyzer (default: its routes)")
            ->type_name("NAME");
    download->add_option("OUT", downloadOut, "Export file to write")->required();

    std::filesystem::path uploadIn;
    CLI::App* upload =
        app.add_subcommand("upload", "Store the routes of the route file IN in the instrument.");
    upload->fallthrough();
    upload->add_option("IN", uploadIn, "Route file to read")->required();

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
    const std::map<std::string, int32_t> models = {{"TKA", wl::kInstrumentAnalyzerTKA},
                                                   {"TKB", wl::kInstrumentAnalyzerTKB},
                                                   {"TKC", wl::kInstrumentAnalyzerTKC}};
    transfer.analyzerKind = models.at(modelName);
    transfer.questions = answerYes  ? QuestionPolicy::kAnswerYes
                         : answerNo ? QuestionPolicy::kAnswerNo
                                    : QuestionPolicy::kAsk;
    if (*select) {
        transfer.select = selectNames;
    }
    if (download->parsed()) {
        return RunDownload(serial, transfer, downloadOut);
    }
    if (upload->parsed()) {
        return RunUpload(serial, transfer, uploadIn);
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

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        // What the command staged is gone by now (unwinding removed it); say so in one line.
        std::fputs("wayload-cli: not enough memory to finish\n", stderr);
        return wl::cli::kExitFailure;
    }
}

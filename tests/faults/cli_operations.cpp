// wayload-cli's file operations as an operator runs them: pack and extract, and the download and
// upload of a folder laid out as a TKB analyzer (routes below TKBRoute, measured data below
// TKBanalyser).

#include <algorithm>
#include <optional>

#include "tests/faults/fault_checks.h"
#include "tests/faults/fault_fixtures.h"
#include "tests/faults/operations.h"
#include "tests/faults/program_runner.h"
#include "tests/support/temp_folder.h"

namespace wl::faults {

namespace fs = std::filesystem;

namespace {

constexpr int32_t kRouteType = 1;
constexpr int32_t kDataType = 2;

// What an earlier export in the target's place holds: a real container of other data.
std::string EarlierExport(const fs::path& reference) {
    return PackedContainer(reference, {{u"Old", kRouteType, OtherRouteTree()}});
}

// The trees every CLI operation packs or compares with, made once.
struct Trees {
    Tree route = RouteTree();
    Tree data = DataTree();
};

class Pack : public Operation, Trees {
  public:
    explicit Pack(const fs::path& reference) : earlier_(EarlierExport(reference / "earlier")) {}

    std::string Name() const override { return "pack"; }

    void LayOut(const fs::path& fixture) const override {
        WriteTree(fixture / "src", sources_);
        test::WriteFile(fixture / "out" / "OUT.rdx", earlier_);
    }

    RunResult Run(const fs::path& fixture, const fs::path& scratch,
                  const Fault& fault) const override {
        return RunCliWithFault(fixture, scratch, {"pack", "out/OUT.rdx", "src/R1", "src/D1"},
                               fault);
    }

    void Check(const fs::path& fixture, const fs::path& scratch, const RunResult& result,
               Problems& problems) const override {
        CheckTree(fixture / "src", sources_, "the packed folders were changed", problems);
        CheckExportTarget(fixture / "out" / "OUT.rdx", earlier_,
                          {{kRouteType, "R1", route}, {kRouteType, "D1", data}}, result, scratch,
                          problems);
    }

  private:
    std::string earlier_;
    Tree sources_ = Merged({Below("R1", route), Below("D1", data)});
};

class Extract : public Operation, Trees {
    static constexpr const char* kEarlierAlpha = "an earlier, longer alpha";

  public:
    explicit Extract(const fs::path& reference)
        : container_(PackedContainer(reference / "extract",
                                     {{u"R1", kRouteType, route}, {u"D1", kRouteType, data}})) {}

    std::string Name() const override { return "extract"; }

    // DEST already holds one of the packed files, with other content.
    void LayOut(const fs::path& fixture) const override {
        test::WriteFile(fixture / "in" / "IN.rdx", container_);
        test::WriteFile(fixture / "dest" / "R1" / "a.txt", kEarlierAlpha);
    }

    RunResult Run(const fs::path& fixture, const fs::path& scratch,
                  const Fault& fault) const override {
        return RunCliWithFault(fixture, scratch, {"extract", "in/IN.rdx", "dest"}, fault);
    }

    void Check(const fs::path& fixture, const fs::path&, const RunResult& result,
               Problems& problems) const override {
        CheckFileBytes(fixture / "in" / "IN.rdx", container_, "the container read was changed",
                       problems);
        if (result.succeeded) {
            CheckTree(fixture / "dest", packed_, "DEST does not hold exactly the packed trees",
                      problems);
            return;
        }
        if (!result.driveGone) {
            CheckNoPartFiles(fixture / "dest", problems);
        }
        // The file that was there before keeps its content until the new one is complete.
        const Tree dest = ReadTree(fixture / "dest");
        const auto earlier = std::find_if(
            dest.begin(), dest.end(), [](const auto& entry) { return entry.first == "R1/a.txt"; });
        const auto packed = std::find_if(packed_.begin(), packed_.end(), [](const auto& entry) {
            return entry.first == "R1/a.txt";
        });
        if (earlier == dest.end() ||
            (earlier->second != kEarlierAlpha && earlier->second != packed->second)) {
            problems.push_back({"a file DEST held before is neither its old nor its new content",
                                earlier == dest.end() ? "it is gone" : earlier->second});
        }
    }

  private:
    std::string container_;
    Tree packed_ = Merged({Below("R1", route), Below("D1", data)});
};

class AnalyzerDownload : public Operation, Trees {
  public:
    explicit AnalyzerDownload(const fs::path& reference)
        : earlier_(EarlierExport(reference / "earlier")) {}

    std::string Name() const override { return "analyzer download"; }

    void LayOut(const fs::path& fixture) const override {
        WriteTree(fixture / "drive", drive_);
        test::WriteFile(fixture / "out" / "OUT.rdx", earlier_);
    }

    RunResult Run(const fs::path& fixture, const fs::path& scratch,
                  const Fault& fault) const override {
        return RunCliWithFault(
            fixture, scratch,
            {"--analyzer", "drive", "--yes", "download", "--select", "R1", "D1", "out/OUT.rdx"},
            fault);
    }

    void Check(const fs::path& fixture, const fs::path& scratch, const RunResult& result,
               Problems& problems) const override {
        CheckTree(fixture / "drive", drive_, "the analyzer's drive was changed", problems);
        CheckExportTarget(fixture / "out" / "OUT.rdx", earlier_,
                          {{kRouteType, "R1", route}, {kDataType, "D1", data}}, result, scratch,
                          problems);
    }

  private:
    std::string earlier_;
    Tree drive_ = Merged({Below("TKBRoute/R1", route), Below("TKBRoute/R2", AddedRouteTree()),
                          Below("TKBanalyser/D1", data)});
};

// The folder `route` of the drive's tree; nothing when it has no such folder.
std::optional<Tree> RouteOn(const Tree& drive, const std::string& route) {
    for (const auto& [path, content] : drive) {
        if (path == route && content == kFolder) {
            return Part(drive, route);
        }
    }
    return std::nullopt;
}

class AnalyzerUpload : public Operation, Trees {
  public:
    explicit AnalyzerUpload(const fs::path& reference)
        : routeFile_(PackedContainer(reference / "upload", {{u"RA", kRouteType, newRoute_},
                                                            {u"RB", kRouteType, addedRoute_}})) {}

    std::string Name() const override { return "analyzer upload"; }

    // RA is there with other content and a file the new RA lacks; RB is new.
    void LayOut(const fs::path& fixture) const override {
        WriteTree(fixture / "drive", before_);
        test::WriteFile(fixture / "in" / "IN.rdi", routeFile_);
    }

    RunResult Run(const fs::path& fixture, const fs::path& scratch,
                  const Fault& fault) const override {
        return RunCliWithFault(fixture, scratch,
                               {"--analyzer", "drive", "--yes", "upload", "in/IN.rdi"}, fault);
    }

    void Check(const fs::path& fixture, const fs::path& scratch, const RunResult& result,
               Problems& problems) const override {
        CheckFileBytes(fixture / "in" / "IN.rdi", routeFile_, "the route file read was changed",
                       problems);
        // A route gone from its place (both renames failed, the drive pulled out between them)
        // is told with where it is kept.
        if (!RouteOn(ReadTree(fixture / "drive"), "TKBRoute/RA") &&
            result.errorText.find("The old route is kept in") == std::string::npos) {
            problems.push_back({"route RA is gone from its place without a word of where it is",
                                result.errorText});
        }
        // A failed deletion may leave the upload's work folder behind, beside the route folder
        // where nothing offers it; the next download (or upload) must put everything right.
        if (fs::exists(fixture / "drive" / ".wayload-upload")) {
            const RunResult next =
                RunCliWithFault(fixture, scratch,
                                {"--analyzer", "drive", "--yes", "download", "--select", "RC", "--",
                                 (scratch / "next.rdx").string()},
                                Fault{});
            if (!next.succeeded) {
                problems.push_back({"the next download fails after a left-over work folder",
                                    next.ending + ": " + next.errorText});
            }
        }
        if (result.succeeded) {
            CheckTree(fixture / "drive", after_,
                      "the analyzer does not hold exactly the uploaded routes", problems);
            return;
        }
        const Tree drive = ReadTree(fixture / "drive");
        CheckRoute(drive, "RA", oldRoute_, problems);
        CheckRoute(drive, "RB", std::nullopt, problems);
        // Whatever failed, the upload leaves nothing of its own on the drive.
        const Tree rest = Without(Without(drive, "TKBRoute/RA"), "TKBRoute/RB");
        const Tree restBefore = Without(before_, "TKBRoute/RA");
        if (rest != restBefore) {
            problems.push_back(
                {"something hidden or extra is left on the drive", Difference(restBefore, rest)});
        }
    }

  private:
    // A route is either its complete old content (nothing, for a new route) or the new one.
    void CheckRoute(const Tree& drive, const std::string& name, const std::optional<Tree>& old,
                    Problems& problems) const {
        const std::optional<Tree> now = RouteOn(drive, "TKBRoute/" + name);
        const Tree& uploaded = name == "RA" ? newRoute_ : addedRoute_;
        if (now == old || now == uploaded) {
            return;
        }
        const std::string rule = "route " + name + " is neither its old nor its new content";
        if (!now) {
            problems.push_back({rule, "it is gone"});
            return;
        }
        const std::string toOld = old ? Difference(*old, *now) : "it was not there before";
        const std::string toNew = Difference(uploaded, *now);
        problems.push_back({rule, "against the old: " + toOld + "; against the new: " + toNew});
    }

    Tree oldRoute_ = OldRouteTree();
    Tree newRoute_ = NewRouteTree();
    Tree addedRoute_ = AddedRouteTree();
    std::string routeFile_;
    Tree before_ = Merged({Below("TKBRoute/RA", oldRoute_), Below("TKBRoute/RC", OtherRouteTree()),
                           Below("TKBanalyser/D1", data)});
    Tree after_ = Merged({Below("TKBRoute/RA", newRoute_), Below("TKBRoute/RB", addedRoute_),
                          Below("TKBRoute/RC", OtherRouteTree()), Below("TKBanalyser/D1", data)});
};

}  // namespace

std::unique_ptr<Operation> MakePack(const fs::path& reference) {
    return std::make_unique<Pack>(reference);
}

std::unique_ptr<Operation> MakeExtract(const fs::path& reference) {
    return std::make_unique<Extract>(reference);
}

std::unique_ptr<Operation> MakeAnalyzerDownload(const fs::path& reference) {
    return std::make_unique<AnalyzerDownload>(reference);
}

std::unique_ptr<Operation> MakeAnalyzerUpload(const fs::path& reference) {
    return std::make_unique<AnalyzerUpload>(reference);
}

}  // namespace wl::faults

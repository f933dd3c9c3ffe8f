// wayload-bench: how fast containers are packed, listed and extracted next to raw zlib working on
// the very same bytes, and how much memory each phase needs. Built with the project, run by hand.

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/utf16.h"
#include "container/container_file.h"
#include "fs/file_ops.h"
#include "platform/byte_file.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int64_t kMiB = 1024 * 1024;
constexpr double kMB = 1e6;
constexpr int kZlibLevel = 1;
// Generated files are written in pieces of this size, so that the generator's own memory stays
// far below what the phases are measured against.
constexpr size_t kGeneratorPiece = 1 << 20;
constexpr int64_t kSmallFileMin = 256;
constexpr int64_t kSmallFileMax = 4096;
constexpr int64_t kBigFilePeakTargetKiB = 64 * 1024;

struct Options {
    int64_t smallFiles = 10000;
    int64_t largeMiB = 64;
    int64_t largeFiles = 4;
    int64_t bigFileMiB = 400;
    int64_t filesPerFolder = 100;
    uint64_t seed = 1;
    bool baselines = true;
};

// ---------------------------------------------------------------------------------------------
// Generated content

// splitmix64: fast and good enough for filler bytes; mt19937 would dominate generating 400 MiB.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint64_t Below(uint64_t bound) { return Next() % bound; }

  private:
    uint64_t state_;
};

enum class Content { Text, Random };

void AppendNumber(std::string& out, uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

// Lines like an instrument's export: words from a small vocabulary and varying numbers, which
// level 1 shrinks to roughly a third.
void AppendText(std::string& out, size_t size, Random& random) {
    static constexpr std::string_view kWords[] = {
        "route",    "point", "bearing", "motor", "pump",        "fan",  "gearbox", "vibration",
        "velocity", "mm/s",  "g",       "temp",  "degC",        "OK",   "alarm",   "warning",
        "axial",    "horiz", "vert",    "rpm",   "envelope",    "peak", "rms",     "crest",
        "spectrum", "time",  "wave",    "note",  "measurement", "skip", "done",    "machine"};
    const size_t target = out.size() + size;
    while (out.size() < target) {
        out.append(kWords[random.Below(std::size(kWords))]).push_back(' ');
        AppendNumber(out, random.Below(10000));
        out.push_back(';');
        out.append(kWords[random.Below(std::size(kWords))]).push_back(';');
        out.append(kWords[random.Below(std::size(kWords))]).push_back(' ');
        AppendNumber(out, random.Below(100));
        out.push_back('.');
        AppendNumber(out, random.Below(1000));
        out.push_back(' ');
        out.append(kWords[random.Below(std::size(kWords))]).append("\r\n");
    }
    out.resize(target);
}

void AppendRandomBytes(std::string& out, size_t size, Random& random) {
    const size_t start = out.size();
    out.resize(start + size);
    for (size_t at = start; at < out.size(); at += sizeof(uint64_t)) {
        const uint64_t word = random.Next();
        std::memcpy(out.data() + at, &word, std::min(sizeof word, out.size() - at));
    }
}

void WriteGeneratedFile(const fs::path& path, int64_t size, Content content, Random& random,
                        std::string& piece) {
    wl::ByteFile file;
    int error = 0;
    if (!file.CreateForWriting(path, error)) {
        throw std::runtime_error("cannot create " + path.string() + ": " + std::strerror(error));
    }
    for (int64_t left = size; left > 0;) {
        const size_t now = static_cast<size_t>(std::min<int64_t>(left, kGeneratorPiece));
        piece.clear();
        if (content == Content::Text) {
            AppendText(piece, now, random);
        } else {
            AppendRandomBytes(piece, now, random);
        }
        file.Write(piece.data(), piece.size());
        left -= static_cast<int64_t>(now);
    }
    file.Close();
}

void MakeFolder(const fs::path& path) {
    if (!wl::CreateFolderPath(path)) {
        throw std::runtime_error("cannot create folder " + path.string());
    }
}

struct TreeFacts {
    int64_t smallFiles = 0;
    int64_t smallBytes = 0;
    int64_t largeFiles = 0;
    int64_t largeBytes = 0;
    int64_t folders = 0;
    double seconds = 0;

    int64_t files() const { return smallFiles + largeFiles; }
    int64_t bytes() const { return smallBytes + largeBytes; }
};

// Small files spread over numbered folders (as measured data arrives, route by route), the large
// ones in a folder of their own. Even-numbered files are text-like, odd ones random.
TreeFacts GenerateTree(const fs::path& root, const Options& options) {
    const auto start = Clock::now();
    TreeFacts facts;
    Random random(options.seed);
    std::string piece;
    MakeFolder(root);
    fs::path folder;
    for (int64_t i = 0; i < options.smallFiles; ++i) {
        if (i % options.filesPerFolder == 0) {
            char name[32];
            std::snprintf(name, sizeof name, "route%05lld",
                          static_cast<long long>(i / options.filesPerFolder));
            folder = root / "small" / name;
            MakeFolder(folder);
            ++facts.folders;
        }
        const int64_t size =
            kSmallFileMin + static_cast<int64_t>(random.Below(kSmallFileMax - kSmallFileMin + 1));
        const Content content = i % 2 == 0 ? Content::Text : Content::Random;
        char name[32];
        std::snprintf(name, sizeof name, "m%07lld.%s", static_cast<long long>(i),
                      content == Content::Text ? "txt" : "bin");
        WriteGeneratedFile(folder / name, size, content, random, piece);
        facts.smallBytes += size;
        ++facts.smallFiles;
    }
    if (options.smallFiles > 0) {
        ++facts.folders;  // "small" itself
    }
    if (options.largeFiles > 0 && options.largeMiB > 0) {
        MakeFolder(root / "large");
        ++facts.folders;
        const int64_t total = options.largeMiB * kMiB;
        for (int64_t i = 0; i < options.largeFiles; ++i) {
            // The last file takes the remainder, so the total is exactly what was asked.
            const int64_t size = i + 1 < options.largeFiles
                                     ? total / options.largeFiles
                                     : total - i * (total / options.largeFiles);
            const Content content = i % 2 == 0 ? Content::Text : Content::Random;
            const std::string name =
                "large" + std::to_string(i) + (content == Content::Text ? ".txt" : ".bin");
            WriteGeneratedFile(root / "large" / name, size, content, random, piece);
            facts.largeBytes += size;
            ++facts.largeFiles;
        }
    }
    facts.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return facts;
}

// ---------------------------------------------------------------------------------------------
// The work folder

class BenchFolder {
  public:
    BenchFolder() {
        const fs::path base = wl::GetTempFolderPath();
        if (base.empty()) {
            throw std::runtime_error("no temporary folder ($TMPDIR or /tmp) is usable");
        }
        std::string pattern = (base / "wayload-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a folder in " + base.string());
        }
        path_ = pattern;
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    ~BenchFolder() { wl::DeleteTree(path_); }

    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& relative) const { return path_ / relative; }

  private:
    fs::path path_;
};

// ---------------------------------------------------------------------------------------------
// Peak memory

int64_t StatusFieldKiB(std::string_view field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size(), field) == 0) {
            return std::strtoll(line.c_str() + field.size(), nullptr, 10);
        }
    }
    return -1;
}

// The resident set's high-water mark of one phase. Writing "5" to clear_refs resets VmHWM to the
// current RSS; where the kernel refuses, only getrusage's lifetime peak is left.
class PeakMemoryProbe {
  public:
    void BeginPhase() {
        // Heap freed by an earlier phase would otherwise still count as resident.
        ::malloc_trim(0);
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.flush();
        resettable_ = resettable_ && clear.good() && StatusFieldKiB("VmHWM:") >= 0;
    }
    int64_t CurrentKiB() const { return StatusFieldKiB("VmRSS:"); }
    int64_t PeakKiB() const {
        if (resettable_) {
            return StatusFieldKiB("VmHWM:");
        }
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    }
    bool resettable() const { return resettable_; }

  private:
    bool resettable_ = true;
};

// ---------------------------------------------------------------------------------------------
// Phases

struct PhaseFigures {
    double wall = 0;
    double user = 0;
    double system = 0;
    int64_t startKiB = 0;
    int64_t peakKiB = 0;
};

struct CpuTimes {
    double user;
    double system;
};

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

CpuTimes ProcessCpuTimes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return {Seconds(usage.ru_utime), Seconds(usage.ru_stime)};
}

PhaseFigures MeasurePhase(PeakMemoryProbe& memory, const std::function<void()>& work) {
    PhaseFigures figures;
    memory.BeginPhase();
    figures.startKiB = memory.CurrentKiB();
    const CpuTimes cpuBefore = ProcessCpuTimes();
    const auto start = Clock::now();
    work();
    figures.wall = std::chrono::duration<double>(Clock::now() - start).count();
    const CpuTimes cpuAfter = ProcessCpuTimes();
    figures.peakKiB = memory.PeakKiB();
    figures.user = cpuAfter.user - cpuBefore.user;
    figures.system = cpuAfter.system - cpuBefore.system;
    return figures;
}

std::string Narrow(const std::u16string& text) {
    return wl::Utf16ToUtf8(text);
}

// Answers the number of items of the new project.
int64_t PackTree(const fs::path& tree, const fs::path& container) {
    BDL::ContainerFile file;
    if (!file.Create(container)) {
        throw std::runtime_error("cannot create the container: " + Narrow(file.LastError()));
    }
    std::u16string error;
    const BDL::Project* project = file.AddFolder(u"bench", 2, tree, nullptr, 0, 100, error);
    if (project == nullptr) {
        throw std::runtime_error("packing failed: " + Narrow(error));
    }
    const int64_t items = project->items.Count();
    int cause = 0;
    if (!file.Finish(cause) || !file.Close()) {
        throw std::runtime_error("finishing the container failed, cause " + std::to_string(cause));
    }
    return items;
}

struct Listing {
    int64_t items = 0;
    int64_t files = 0;
    int64_t bytes = 0;
};

Listing ListContainer(const fs::path& container) {
    BDL::ContainerFile file;
    if (!file.Open(container)) {
        throw std::runtime_error("cannot open the container: " + Narrow(file.LastError()));
    }
    Listing listing;
    for (const auto& project : file.GetProjectList().projects) {
        for (const auto& item : project->items) {
            ++listing.items;
            if (item->type == BDL::ProjectItem::kFile) {
                ++listing.files;
                listing.bytes += item->size;
            }
        }
    }
    return listing;
}

void ExtractContainer(const fs::path& container, const fs::path& destination) {
    BDL::ContainerFile file;
    if (!file.Open(container)) {
        throw std::runtime_error("cannot open the container: " + Narrow(file.LastError()));
    }
    const BDL::Project* project = file.GetProjectList().projects.Get(0);
    if (project == nullptr) {
        throw std::runtime_error("the container holds no project");
    }
    std::u16string error;
    if (!file.ExtractProject(*project, destination, nullptr, 0, 100, error)) {
        throw std::runtime_error("extracting failed: " + Narrow(error));
    }
}

// ---------------------------------------------------------------------------------------------
// Checking a copy

std::string RelativeText(const fs::path& entry, const fs::path& root) {
    return entry.native().substr(root.native().size() + 1);
}

bool SameFileContent(const fs::path& a, const fs::path& b) {
    wl::ByteFile first;
    wl::ByteFile second;
    int error = 0;
    if (!first.OpenForReading(a, error) || !second.OpenForReading(b, error) ||
        first.Length() != second.Length()) {
        return false;
    }
    std::vector<uint8_t> bufferA(kGeneratorPiece);
    std::vector<uint8_t> bufferB(kGeneratorPiece);
    for (;;) {
        const size_t gotA = first.Read(bufferA.data(), bufferA.size());
        const size_t gotB = second.Read(bufferB.data(), bufferB.size());
        if (gotA != gotB || std::memcmp(bufferA.data(), bufferB.data(), gotA) != 0) {
            return false;
        }
        if (gotA < bufferA.size()) {
            return true;
        }
    }
}

// True when `copy` holds exactly the folders and files of `original`, byte for byte.
bool SameTree(const fs::path& original, const fs::path& copy) {
    std::vector<wl::TreeEntry> originals;
    std::vector<wl::TreeEntry> copies;
    if (!wl::ListTree(original, originals) || !wl::ListTree(copy, copies) ||
        originals.size() != copies.size()) {
        return false;
    }
    for (const wl::TreeEntry& entry : originals) {
        const fs::path copied = copy / RelativeText(entry.path, original);
        struct stat st {};
        if (::lstat(copied.c_str(), &st) != 0) {
            return false;
        }
        if (entry.folder != 0 ? !S_ISDIR(st.st_mode)
                              : !S_ISREG(st.st_mode) || !SameFileContent(entry.path, copied)) {
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Baselines: raw zlib and plain file I/O on the same files

struct Baselines {
    int64_t files = 0;
    int64_t bytes = 0;
    int64_t imageBytes = 0;
    double compressSeconds = 0;
    double uncompressSeconds = 0;
    double reusedDeflateSeconds = 0;
    double reusedInflateSeconds = 0;
    double readInputsSeconds = 0;
    double writeImagesSeconds = 0;
    double readImagesSeconds = 0;
    double writeOutputsSeconds = 0;
    bool roundTripOk = true;
};

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Status on stderr with the seconds since the start, so that a slow step outside the timed
// phases (generation, checking, clean-up) shows too.
void Status(const char* text) {
    static const auto start = Clock::now();
    std::fprintf(stderr, "[%7.2f s] %s\n", Since(start), text);
}

void ReadAll(int fd, uint8_t* data, size_t size, const fs::path& path) {
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n <= 0) {
            throw std::runtime_error("cannot read " + path.string());
        }
        done += static_cast<size_t>(n);
    }
}

void WriteAll(int fd, const uint8_t* data, size_t size, const fs::path& path) {
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            throw std::runtime_error("cannot write " + path.string());
        }
        done += static_cast<size_t>(n);
    }
}

struct HeldFile {
    std::string relative;
    bool folder = false;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> image;
};

// compress2 sets a stream up and tears it down for every file; one stream reset between files,
// as a packer can keep it, is the tighter reference for many small files.
double ReusedStreamDeflateSeconds(const std::vector<HeldFile>& held) {
    z_stream stream{};
    if (deflateInit(&stream, kZlibLevel) != Z_OK) {
        throw std::runtime_error("deflateInit failed");
    }
    std::vector<uint8_t> output;
    double seconds = 0;
    for (const HeldFile& file : held) {
        if (file.folder) {
            continue;
        }
        output.resize(compressBound(static_cast<uLong>(file.bytes.size())));
        const auto start = Clock::now();
        deflateReset(&stream);
        stream.next_in = const_cast<Bytef*>(file.bytes.data());
        stream.avail_in = static_cast<uInt>(file.bytes.size());
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        const int status = deflate(&stream, Z_FINISH);
        seconds += Since(start);
        if (status != Z_STREAM_END || stream.total_out != file.image.size()) {
            throw std::runtime_error("deflate on a reused stream failed on " + file.relative);
        }
    }
    deflateEnd(&stream);
    return seconds;
}

double ReusedStreamInflateSeconds(const std::vector<HeldFile>& held,
                                  std::vector<uint8_t>& restored) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        throw std::runtime_error("inflateInit failed");
    }
    double seconds = 0;
    for (const HeldFile& file : held) {
        if (file.folder) {
            continue;
        }
        const auto start = Clock::now();
        inflateReset(&stream);
        stream.next_in = const_cast<Bytef*>(file.image.data());
        stream.avail_in = static_cast<uInt>(file.image.size());
        stream.next_out = restored.data();
        stream.avail_out = static_cast<uInt>(restored.size());
        const int status = inflate(&stream, Z_FINISH);
        seconds += Since(start);
        if (status != Z_STREAM_END || stream.total_out != file.bytes.size()) {
            throw std::runtime_error("inflate on a reused stream failed on " + file.relative);
        }
    }
    inflateEnd(&stream);
    return seconds;
}

// Every file is first read into memory; then only the zlib calls are timed, one compress2 and
// one uncompress per file, as a packer with no I/O at all would make them. The plain-I/O figures
// time what any packer or extractor has to do with the files besides zlib.
Baselines MeasureBaselines(const fs::path& tree, const fs::path& scratch) {
    std::vector<wl::TreeEntry> entries;
    if (!wl::ListTree(tree, entries)) {
        throw std::runtime_error("cannot list " + tree.string());
    }
    std::vector<HeldFile> held(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        held[i].relative = RelativeText(entries[i].path, tree);
        held[i].folder = entries[i].folder != 0;
    }

    Baselines result;
    size_t largest = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        HeldFile& file = held[i];
        if (file.folder) {
            continue;
        }
        const fs::path& path = entries[i].path;
        const auto start = Clock::now();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0) {
            throw std::runtime_error("cannot open " + path.string());
        }
        file.bytes.resize(static_cast<size_t>(st.st_size));
        ReadAll(fd, file.bytes.data(), file.bytes.size(), path);
        ::close(fd);
        result.readInputsSeconds += Since(start);
        largest = std::max(largest, file.bytes.size());
        ++result.files;
        result.bytes += static_cast<int64_t>(file.bytes.size());
    }

    for (HeldFile& file : held) {
        if (file.folder) {
            continue;
        }
        uLongf imageLength = compressBound(static_cast<uLong>(file.bytes.size()));
        file.image.resize(imageLength);
        const auto start = Clock::now();
        const int status = compress2(file.image.data(), &imageLength, file.bytes.data(),
                                     static_cast<uLong>(file.bytes.size()), kZlibLevel);
        result.compressSeconds += Since(start);
        if (status != Z_OK) {
            throw std::runtime_error("compress2 failed on " + file.relative);
        }
        file.image.resize(imageLength);
        result.imageBytes += static_cast<int64_t>(imageLength);
    }

    result.reusedDeflateSeconds = ReusedStreamDeflateSeconds(held);

    // All images one after the other in one file, as a container lays them out.
    const fs::path imagesPath = scratch / "images.raw";
    {
        const auto start = Clock::now();
        const int fd = ::open(imagesPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            throw std::runtime_error("cannot create " + imagesPath.string());
        }
        for (const HeldFile& file : held) {
            WriteAll(fd, file.image.data(), file.image.size(), imagesPath);
        }
        ::close(fd);
        result.writeImagesSeconds = Since(start);
    }
    {
        const auto start = Clock::now();
        const int fd = ::open(imagesPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            throw std::runtime_error("cannot open " + imagesPath.string());
        }
        for (HeldFile& file : held) {
            ReadAll(fd, file.image.data(), file.image.size(), imagesPath);
        }
        ::close(fd);
        result.readImagesSeconds = Since(start);
    }

    std::vector<uint8_t> restored(largest);
    for (const HeldFile& file : held) {
        if (file.folder) {
            continue;
        }
        uLongf restoredLength = static_cast<uLongf>(restored.size());
        const auto start = Clock::now();
        const int status = uncompress(restored.data(), &restoredLength, file.image.data(),
                                      static_cast<uLong>(file.image.size()));
        result.uncompressSeconds += Since(start);
        if (status != Z_OK || restoredLength != file.bytes.size() ||
            std::memcmp(restored.data(), file.bytes.data(), restoredLength) != 0) {
            result.roundTripOk = false;
        }
    }
    result.reusedInflateSeconds = ReusedStreamInflateSeconds(held, restored);

    const fs::path outputs = scratch / "plain-out";
    MakeFolder(outputs);
    {
        const auto start = Clock::now();
        for (const HeldFile& file : held) {
            const fs::path path = outputs / file.relative;
            if (file.folder) {
                if (::mkdir(path.c_str(), 0777) != 0) {
                    throw std::runtime_error("cannot create folder " + path.string());
                }
                continue;
            }
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            if (fd < 0) {
                throw std::runtime_error("cannot create " + path.string());
            }
            WriteAll(fd, file.bytes.data(), file.bytes.size(), path);
            ::close(fd);
        }
        result.writeOutputsSeconds = Since(start);
    }
    wl::DeleteTree(outputs);
    wl::DeleteTree(imagesPath);
    return result;
}

// ---------------------------------------------------------------------------------------------
// Report

double MiB(int64_t kib) {
    return static_cast<double>(kib) / 1024.0;
}

double MBPerSecond(int64_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / kMB / seconds : 0;
}

void PrintPhaseHeader() {
    std::printf("  %-9s %8s %8s %8s %9s %10s %10s %10s\n", "phase", "wall s", "user s", "sys s",
                "MB/s", "us/item", "start MiB", "peak MiB");
}

// `bytes` or `items` 0 leaves its column empty: listing moves no file bytes, and a single file
// has no tree to scale.
void PrintPhase(const char* name, const PhaseFigures& figures, int64_t bytes, int64_t items) {
    char throughput[32] = "-";
    if (bytes > 0) {
        std::snprintf(throughput, sizeof throughput, "%.1f", MBPerSecond(bytes, figures.wall));
    }
    char perItem[32] = "-";
    if (items > 0) {
        std::snprintf(perItem, sizeof perItem, "%.2f",
                      figures.wall * 1e6 / static_cast<double>(items));
    }
    std::printf("  %-9s %8.3f %8.3f %8.3f %9s %10s %10.1f %10.1f\n", name, figures.wall,
                figures.user, figures.system, throughput, perItem, MiB(figures.startKiB),
                MiB(figures.peakKiB));
}

void PrintRatio(const char* what, double ours, double reference) {
    const double ratio = reference > 0 ? ours / reference : 0;
    std::printf("  %-44s %6.2f  (%s)\n", what, ratio,
                ratio <= 1.10 ? "within 10%" : "more than 10% slower");
}

void PrintHeader(const BenchFolder& folder, const PeakMemoryProbe& memory) {
    std::printf(
        "wayload-bench: containers packed, listed and extracted, next to raw zlib level %d\n",
        kZlibLevel);
#ifdef __OPTIMIZE__
    const char* build = "optimised";
#else
    const char* build = "NOT optimised (figures are not representative)";
#endif
    std::printf("  build %s; zlib %s; %u hardware threads; work folder %s (removed at the end)\n",
                build, zlibVersion(), std::thread::hardware_concurrency(), folder.path().c_str());
    std::printf(
        "  Page cache: every input was just written and every container just made, so reads are\n"
        "  served from the page cache (nothing is dropped): the figures are CPU and file-system\n"
        "  costs, not disk speed. Throughput counts uncompressed bytes; MB = 10^6 bytes, MiB =\n"
        "  2^20 bytes; wall time from steady_clock, user/sys from getrusage.\n");
    if (memory.resettable()) {
        std::printf(
            "  Peak memory: VmHWM after resetting it (clear_refs 5) at the start of each phase;\n"
            "  start MiB is the resident set when the phase began.\n");
    } else {
        std::printf(
            "  Peak memory: the kernel refused to reset VmHWM; the peaks shown are the "
            "process's\n  lifetime peak (getrusage ru_maxrss), so a phase may show an "
            "earlier phase's peak.\n");
    }
}

void PrintSummary(const Options& options, const TreeFacts& tree, int64_t items,
                  int64_t containerBytes, const PhaseFigures& pack, const PhaseFigures& list,
                  const PhaseFigures& extract, bool extractedMatches) {
    std::printf(
        "\nTree: %lld small files (%.1f MB, %lld..%lld bytes) + %lld large files "
        "(%lld MiB) in %lld folders;\n",
        static_cast<long long>(tree.smallFiles), static_cast<double>(tree.smallBytes) / kMB,
        static_cast<long long>(kSmallFileMin), static_cast<long long>(kSmallFileMax),
        static_cast<long long>(tree.largeFiles), static_cast<long long>(options.largeMiB),
        static_cast<long long>(tree.folders));
    std::printf("  half text-like, half random; %lld items, %.1f MB in all, generated in %.2f s.\n",
                static_cast<long long>(items), static_cast<double>(tree.bytes()) / kMB,
                tree.seconds);
    std::printf("  Container %.1f MB (%.3f of the input); extracted tree identical: %s\n\n",
                static_cast<double>(containerBytes) / kMB,
                static_cast<double>(containerBytes) /
                    static_cast<double>(std::max<int64_t>(1, tree.bytes())),
                extractedMatches ? "yes" : "NO");
    PrintPhaseHeader();
    PrintPhase("pack", pack, tree.bytes(), items);
    PrintPhase("list", list, 0, items);
    PrintPhase("extract", extract, tree.bytes(), items);
}

void PrintBaselines(const PhaseFigures& pack, const PhaseFigures& extract, const Baselines& base) {
    std::printf("\n  Raw zlib on the same %lld files held in memory (only the zlib calls timed):\n",
                static_cast<long long>(base.files));
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "compress2 level 1, one call per file",
                base.compressSeconds, MBPerSecond(base.bytes, base.compressSeconds));
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "uncompress, one call per file",
                base.uncompressSeconds, MBPerSecond(base.bytes, base.uncompressSeconds));
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "deflate, one stream reset between files",
                base.reusedDeflateSeconds, MBPerSecond(base.bytes, base.reusedDeflateSeconds));
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "inflate, one stream reset between files",
                base.reusedInflateSeconds, MBPerSecond(base.bytes, base.reusedInflateSeconds));
    std::printf("  raw images %.1f MB; round trip %s\n", static_cast<double>(base.imageBytes) / kMB,
                base.roundTripOk ? "exact" : "FAILED");
    PrintRatio("pack time / compress2 time", pack.wall, base.compressSeconds);
    PrintRatio("extract time / uncompress time", extract.wall, base.uncompressSeconds);
    PrintRatio("pack time / reused-stream deflate time", pack.wall, base.reusedDeflateSeconds);
    PrintRatio("extract time / reused-stream inflate time", extract.wall,
               base.reusedInflateSeconds);

    const double packFloor =
        base.readInputsSeconds + base.compressSeconds + base.writeImagesSeconds;
    const double extractFloor =
        base.readImagesSeconds + base.uncompressSeconds + base.writeOutputsSeconds;
    std::printf("\n  Plain file I/O on the same files, without zlib, for scale:\n");
    std::printf("  %-44s %8.3f s\n", "read every input (open/fstat/read/close)",
                base.readInputsSeconds);
    std::printf("  %-44s %8.3f s\n", "write all images to one file", base.writeImagesSeconds);
    std::printf("  %-44s %8.3f s\n", "read all images back from that file", base.readImagesSeconds);
    std::printf("  %-44s %8.3f s\n", "write every output (mkdir/open/write/close)",
                base.writeOutputsSeconds);
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "pack floor: read + compress2 + write images",
                packFloor, MBPerSecond(base.bytes, packFloor));
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "extract floor: read + uncompress + write",
                extractFloor, MBPerSecond(base.bytes, extractFloor));
    PrintRatio("pack time / pack floor", pack.wall, packFloor);
    PrintRatio("extract time / extract floor", extract.wall, extractFloor);
}

struct BigFileFigures {
    int64_t bytes = 0;
    int64_t containerBytes = 0;
    double generateSeconds = 0;
    PhaseFigures pack;
    PhaseFigures extract;
    bool matches = false;
    double rawCompressSeconds = 0;
    double rawUncompressSeconds = 0;
    bool rawRoundTripOk = false;
};

// One compress2 and one uncompress over the whole file held in memory. Run after the container
// phases, whose peaks it would otherwise swamp.
void MeasureBigFileRawZlib(const fs::path& path, BigFileFigures& figures) {
    std::vector<uint8_t> bytes(static_cast<size_t>(figures.bytes));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + path.string());
    }
    ReadAll(fd, bytes.data(), bytes.size(), path);
    ::close(fd);
    uLongf imageLength = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<uint8_t> image(imageLength);
    auto start = Clock::now();
    const int compressed = compress2(image.data(), &imageLength, bytes.data(),
                                     static_cast<uLong>(bytes.size()), kZlibLevel);
    figures.rawCompressSeconds = Since(start);
    std::vector<uint8_t> restored(bytes.size());
    uLongf restoredLength = static_cast<uLongf>(restored.size());
    start = Clock::now();
    const int uncompressed =
        uncompress(restored.data(), &restoredLength, image.data(), imageLength);
    figures.rawUncompressSeconds = Since(start);
    figures.rawRoundTripOk = compressed == Z_OK && uncompressed == Z_OK &&
                             restoredLength == bytes.size() && restored == bytes;
}

BigFileFigures RunBigFile(const BenchFolder& folder, const Options& options,
                          PeakMemoryProbe& memory) {
    BigFileFigures figures;
    figures.bytes = options.bigFileMiB * kMiB;
    const fs::path tree = folder / "big-tree";
    const fs::path container = folder / "big.wlc";
    const fs::path destination = folder / "big-out";
    {
        const auto start = Clock::now();
        MakeFolder(tree);
        Random random(options.seed + 1);
        std::string piece;
        WriteGeneratedFile(tree / "big.txt", figures.bytes, Content::Text, random, piece);
        figures.generateSeconds = Since(start);
    }
    figures.pack = MeasurePhase(memory, [&] { PackTree(tree, container); });
    figures.containerBytes = static_cast<int64_t>(fs::file_size(container));
    MakeFolder(destination);
    figures.extract = MeasurePhase(memory, [&] { ExtractContainer(container, destination); });
    Status("comparing the extracted big file");
    figures.matches = SameTree(tree, destination);
    if (options.baselines) {
        Status("raw zlib on the big file");
        MeasureBigFileRawZlib(tree / "big.txt", figures);
    }
    Status("removing the big file scenario's files");
    // Nothing of this scenario is needed again; giving the space back keeps the page cache for
    // the baselines that follow.
    wl::DeleteTree(tree);
    wl::DeleteTree(container);
    wl::DeleteTree(destination);
    return figures;
}

void PrintBigFile(const Options& options, const BigFileFigures& big) {
    std::printf("\nBig file: one text-like file of %lld MiB (%.1f MB), generated in %.2f s;\n",
                static_cast<long long>(options.bigFileMiB), static_cast<double>(big.bytes) / kMB,
                big.generateSeconds);
    std::printf("  container %.1f MB; extracted file identical: %s\n\n",
                static_cast<double>(big.containerBytes) / kMB, big.matches ? "yes" : "NO");
    PrintPhaseHeader();
    PrintPhase("pack", big.pack, big.bytes, 0);
    PrintPhase("extract", big.extract, big.bytes, 0);
    std::printf("  peak memory under %lld MiB: pack %s, extract %s\n",
                static_cast<long long>(kBigFilePeakTargetKiB / 1024),
                big.pack.peakKiB < kBigFilePeakTargetKiB ? "yes" : "NO",
                big.extract.peakKiB < kBigFilePeakTargetKiB ? "yes" : "NO");
    if (!options.baselines) {
        return;
    }
    std::printf("\n  Raw zlib on the same file held in memory (round trip %s):\n",
                big.rawRoundTripOk ? "exact" : "FAILED");
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "compress2 level 1, one call",
                big.rawCompressSeconds, MBPerSecond(big.bytes, big.rawCompressSeconds));
    std::printf("  %-44s %8.3f s %9.1f MB/s\n", "uncompress, one call", big.rawUncompressSeconds,
                MBPerSecond(big.bytes, big.rawUncompressSeconds));
    PrintRatio("pack time / compress2 time", big.pack.wall, big.rawCompressSeconds);
    PrintRatio("extract time / uncompress time", big.extract.wall, big.rawUncompressSeconds);
}

int Run(const Options& options) {
    if (options.largeFiles > 0 &&
        options.largeMiB * kMiB / options.largeFiles > BDL::ContainerFile::kLargestFile) {
        throw std::runtime_error("a large file would exceed the largest file a container takes");
    }
    if (options.bigFileMiB * kMiB > BDL::ContainerFile::kLargestFile) {
        throw std::runtime_error("--big-file-mib exceeds the largest file a container takes");
    }
    BenchFolder folder;
    PeakMemoryProbe memory;
    const fs::path tree = folder / "tree";
    const fs::path container = folder / "tree.wlc";
    const fs::path destination = folder / "out";

    Status("generating the tree");
    const TreeFacts facts = GenerateTree(tree, options);

    Status("packing");
    int64_t items = 0;
    const PhaseFigures pack = MeasurePhase(memory, [&] { items = PackTree(tree, container); });
    const int64_t containerBytes = static_cast<int64_t>(fs::file_size(container));
    Listing listing;
    Status("listing");
    const PhaseFigures list = MeasurePhase(memory, [&] { listing = ListContainer(container); });
    if (listing.items != items || listing.bytes != facts.bytes()) {
        throw std::runtime_error("the listing does not match what was packed");
    }
    MakeFolder(destination);
    Status("extracting");
    const PhaseFigures extract =
        MeasurePhase(memory, [&] { ExtractContainer(container, destination); });
    Status("comparing the extracted tree");
    const bool extractedMatches = SameTree(tree, destination);
    Status("removing the extracted tree and the container");
    wl::DeleteTree(destination);
    wl::DeleteTree(container);

    // Before the baselines, which hold every file in memory and would raise the process's
    // resident set for the phases after them.
    BigFileFigures big;
    if (options.bigFileMiB > 0) {
        Status("big file scenario");
        big = RunBigFile(folder, options, memory);
    }

    Baselines baselines;
    if (options.baselines) {
        Status("raw zlib and plain I/O baselines");
        baselines = MeasureBaselines(tree, folder.path());
    }

    PrintHeader(folder, memory);
    PrintSummary(options, facts, items, containerBytes, pack, list, extract, extractedMatches);
    if (options.baselines) {
        PrintBaselines(pack, extract, baselines);
    }
    if (options.bigFileMiB > 0) {
        PrintBigFile(options, big);
    }
    std::fflush(stdout);
    Status("removing the work folder");
    const bool bigFileOk =
        options.bigFileMiB == 0 || (big.matches && (big.rawRoundTripOk || !options.baselines));
    return extractedMatches && baselines.roundTripOk && bigFileOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    CLI::App app{
        "Times packing, listing and extracting containers against raw zlib, and the peak "
        "memory of each phase."};
    app.add_option("--small", options.smallFiles, "Number of small files (256 to 4096 bytes)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--large-mib", options.largeMiB, "Total size of the large files in MiB")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--large-count", options.largeFiles, "Number of large files")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--big-file-mib", options.bigFileMiB,
                   "Size of the single big file scenario in MiB; 0 skips it")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--files-per-folder", options.filesPerFolder, "Small files per folder")
        ->check(CLI::PositiveNumber);
    app.add_option("--seed", options.seed, "Seed of the generated content");
    bool noBaselines = false;
    app.add_flag("--no-baselines", noBaselines,
                 "Only the container phases, e.g. under a profiler; no raw zlib comparison");
    CLI11_PARSE(app, argc, argv);
    options.baselines = !noBaselines;
    try {
        return Run(options);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "wayload-bench: %s\n", failure.what());
        return 2;
    }
}

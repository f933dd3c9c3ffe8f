#include "container/container_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "container/compressed_image.h"
#include "container/image_stream.h"
#include "container/item_names.h"
#include "container/table_text.h"
#include "fs/file_ops.h"
#include "fs/staged_file.h"
#include "platform/file_error.h"

namespace BDL {

using wl::Format;
using wl::PathToUtf16;

struct ContainerFile::Workers {
    wl::ImageCompressor compressor;
    wl::ImageRestorer restorer;
};

namespace {

constexpr size_t kTableWritePiece = 64 * 1024;

std::u16string SystemErrorText(int error) {
    return wl::Utf8ToUtf16(std::strerror(error));
}

// The part of a listed path below the packed folder.
std::filesystem::path RelativeToFolder(const std::filesystem::path& entry,
                                       const std::string& folderText) {
    const std::string& text = entry.native();
    if (text.size() > folderText.size() && text.compare(0, folderText.size(), folderText) == 0) {
        const size_t skip = folderText.size() + (folderText.back() == '/' ? 0 : 1);
        return std::filesystem::path(text.substr(skip));
    }
    return entry.lexically_relative(folderText);
}

// True unless a folder on the way from `destination` down `relative` is a symbolic link, which
// could lead a write out of the destination. Real folders seen are remembered.
bool NoLinkOnTheWay(const std::filesystem::path& destination, const std::filesystem::path& relative,
                    std::unordered_set<std::string>& realFolders) {
    std::filesystem::path prefix;
    for (const auto& component : relative) {
        prefix /= component;
        if (realFolders.contains(prefix.native())) {
            continue;
        }
        struct stat st {};
        if (::lstat((destination / prefix).c_str(), &st) != 0) {
            return true;  // the rest does not exist yet and will be made as real folders
        }
        if (S_ISLNK(st.st_mode)) {
            return false;
        }
        if (!S_ISDIR(st.st_mode)) {
            return true;  // creating below a file fails on its own
        }
        realFolders.insert(prefix.native());
    }
    return true;
}

// Every name of the project's files and folders as a path below the destination, checked before
// anything is written.
bool CheckItemNames(const Project& project, std::vector<std::filesystem::path>& relatives,
                    std::u16string& error) {
    relatives.assign(static_cast<size_t>(project.items.Count()), {});
    std::unordered_set<std::u16string> folders;
    std::unordered_set<std::u16string> files;
    size_t i = 0;
    for (const auto& item : project.items) {
        if (item->type == ProjectItem::kFile || item->type == ProjectItem::kDirectory) {
            auto relative = wl::RelativePathFromItemName(item->name);
            if (!relative) {
                error = Format("Invalid item name '%s'", {item->name});
                return false;
            }
            auto& seen = item->type == ProjectItem::kFile ? files : folders;
            if (!seen.insert(item->name).second) {
                error = Format("Repeated item name '%s'", {item->name});
                return false;
            }
            relatives[i] = std::move(*relative);
        }
        ++i;
    }
    return true;
}

// "Can't add file %s - REASON": the system's text, then why.
std::u16string WithReason(const std::u16string& text, const std::u16string& reason) {
    return text + u" - " + reason;
}

std::u16string EntryError(const wl::TreeEntry& entry, const std::u16string& reason) {
    const char* format = entry.folder != 0 ? "Can't add directory %s" : "Can't add file %s";
    return WithReason(Format(format, {PathToUtf16(entry.path)}), reason);
}

// Why an entry of a packed tree cannot be packed; empty for files and folders. Nothing is
// skipped in silence: measured data must never go missing without a word.
std::u16string UnpackableReason(wl::EntryKind kind) {
    switch (kind) {
        case wl::EntryKind::kFile:
        case wl::EntryKind::kFolder:
            return {};
        case wl::EntryKind::kLinkToFolder:
            return u"it is a link to a folder, which is not packed";
        case wl::EntryKind::kBrokenLink:
            return u"it is a link that leads to no file";
        case wl::EntryKind::kFifo:
            return u"it is a FIFO, not a file";
        case wl::EntryKind::kSocket:
            return u"it is a socket, not a file";
        case wl::EntryKind::kDevice:
            return u"it is a device, not a file";
    }
    return {};
}

void ReportProgress(wl::I_InfoWnd* progress, double from, double to, size_t i, size_t n) {
    if (progress != nullptr) {
        progress->SetProgress(from +
                              static_cast<double>(i) * ((to - from) / static_cast<double>(n)));
    }
}

}  // namespace

ContainerFile::ContainerFile() : list_(std::make_unique<ProjectList>()) {}

ContainerFile::~ContainerFile() = default;

bool ContainerFile::Create(const std::filesystem::path& path) {
    int error = 0;
    if (!file_.CreateForWriting(path, error)) {
        lastError_ = SystemErrorText(error).substr(0, 1023);
        return false;
    }
    return true;
}

Project* ContainerFile::AddFolder(const std::u16string& name, int32_t type,
                                  const std::filesystem::path& folder, wl::I_InfoWnd* progress,
                                  double from, double to, std::u16string& error) {
    for (const auto& existing : list_->projects) {
        if (existing->name == name && existing->type == type) {
            error = Format("Project(%d) with name %s exists already", {type, name});
            return nullptr;
        }
    }
    // Only what comes back as it went in is packed: a name the table of contents cannot keep
    // is refused before anything of the project is written.
    const std::u16string nameFlaw = wl::ProjectNameFlaw(name);
    if (!nameFlaw.empty()) {
        error = WithReason(Format("Can't add directory %s", {PathToUtf16(folder)}), nameFlaw);
        return nullptr;
    }
    std::vector<wl::TreeEntry> entries;
    wl::ListingFailure unlisted;
    if (!wl::ListTree(folder, entries, &unlisted)) {
        error = WithReason(Format("Err enumerating dir content %s", {PathToUtf16(unlisted.folder)}),
                           wl::FileErrorReason(unlisted.error));
        return nullptr;
    }
    const std::string folderText = folder.native();
    for (const wl::TreeEntry& entry : entries) {
        std::u16string reason;
        if (!wl::ItemNameFromRelativePath(RelativeToFolder(entry.path, folderText), reason)) {
            error = EntryError(entry, reason);
            return nullptr;
        }
        reason = UnpackableReason(entry.kind);
        if (!reason.empty()) {
            error = EntryError(entry, reason);
            return nullptr;
        }
    }

    auto project = std::make_unique<Project>();
    project->name = name;
    project->type = type;
    for (size_t i = 0; i < entries.size(); ++i) {
        ReportProgress(progress, from, to, i, entries.size());
        const wl::TreeEntry& entry = entries[i];
        std::u16string reason;
        const std::u16string itemName =
            *wl::ItemNameFromRelativePath(RelativeToFolder(entry.path, folderText), reason);
        if (entry.folder != 0) {
            auto item = std::make_unique<ProjectItem>();
            item->name = itemName;
            item->type = ProjectItem::kDirectory;
            project->items.Append(std::move(item));
        } else if (!StoreFile(*project, entry.path, itemName, reason)) {
            error = EntryError(entry, reason);
            return nullptr;
        }
    }
    Project* added = project.get();
    list_->projects.Append(std::move(project));
    return added;
}

bool ContainerFile::StoreFile(Project& project, const std::filesystem::path& path,
                              const std::u16string& name, std::u16string& reason) {
    wl::ByteFile input;
    int openError = 0;
    if (!input.OpenForReading(path, openError)) {
        reason = wl::FileErrorReason(openError);
        return false;
    }
    const int64_t length = input.Length();
    if (length > kLargestFile) {
        reason = Format("it is larger than %lld bytes (%lld bytes)", {kLargestFile, length});
        return false;
    }
    if (!workers_) {
        workers_ = std::make_unique<Workers>();
    }
    const int64_t position = file_.SeekToEnd();
    int64_t imageLength = 0;
    // A read error of the packed file raises its file error, which reaches the caller with the
    // cause and the file it struck.
    switch (
        workers_->compressor.Compress(input, static_cast<uint32_t>(length), file_, imageLength)) {
        case wl::ImageCompressor::Outcome::kCompressed:
            break;
        case wl::ImageCompressor::Outcome::kInputShort:
            file_.Truncate(position);  // no part of a failed image stays behind
            reason = wl::FileErrorCauseText(static_cast<int>(wl::FileErrorCause::EndOfFile)) +
                     u" (the file became shorter while it was packed)";
            return false;
        case wl::ImageCompressor::Outcome::kZlibFailed:
            file_.Truncate(position);
            reason = u"it could not be compressed";
            return false;
    }
    auto item = std::make_unique<ProjectItem>();
    item->name = name;
    item->type = ProjectItem::kFile;
    item->size = length;
    item->compSize = imageLength;
    item->pos = position;
    project.items.Append(std::move(item));
    return true;
}

bool ContainerFile::Finish(int& cause) {
    cause = 0;
    try {
        const int64_t tableOffset = file_.SeekToEnd();
        const std::u16string table = list_->ToText();
        std::vector<uint8_t> piece;
        piece.reserve(kTableWritePiece * 2);
        for (size_t at = 0; at < table.size(); at += kTableWritePiece) {
            piece.clear();
            const size_t end = std::min(table.size(), at + kTableWritePiece);
            for (size_t i = at; i < end; ++i) {
                piece.push_back(static_cast<uint8_t>(table[i]));
                piece.push_back(static_cast<uint8_t>(table[i] >> 8));
            }
            file_.Write(piece.data(), piece.size());
        }
        uint8_t trailer[kTrailerSize];
        for (size_t i = 0; i < kTrailerSize; ++i) {
            trailer[i] = static_cast<uint8_t>(static_cast<uint64_t>(tableOffset) >> (8 * i));
        }
        file_.Write(trailer, sizeof trailer);
        return true;
    } catch (const wl::FileError& failure) {
        cause = static_cast<int>(failure.cause());
        return false;
    } catch (const std::bad_alloc&) {
        throw;  // told as such by the caller, never as a write error without a cause
    } catch (const std::exception&) {
        return false;
    }
}

bool ContainerFile::Close(int* cause) {
    try {
        file_.Close();
        return true;
    } catch (const wl::FileError& failure) {
        if (cause != nullptr) {
            *cause = static_cast<int>(failure.cause());
        }
        return false;
    }
}

bool ContainerFile::Open(const std::filesystem::path& path) {
    list_ = std::make_unique<ProjectList>();
    tableOffset_ = 0;
    lastError_.clear();
    int openError = 0;
    if (!file_.OpenForReading(path, openError)) {
        lastError_ = SystemErrorText(openError);
        return false;
    }
    try {
        const int64_t length = file_.Length();
        if (length < kTrailerSize) {
            lastError_ = u"Not a container file: shorter than its 8-byte trailer";
            return false;
        }
        file_.SeekTo(length - kTrailerSize);
        uint8_t trailer[kTrailerSize];
        if (file_.Read(trailer, kTrailerSize) != kTrailerSize) {
            lastError_ = u"Not a container file: its trailer cannot be read";
            return false;
        }
        uint64_t tableOffset = 0;
        for (size_t i = 0; i < kTrailerSize; ++i) {
            tableOffset |= static_cast<uint64_t>(trailer[i]) << (8 * i);
        }
        if (tableOffset > static_cast<uint64_t>(length - kTrailerSize)) {
            lastError_ = u"Not a container file: its table of contents lies outside the file";
            return false;
        }
        const int64_t tableBytes = length - kTrailerSize - static_cast<int64_t>(tableOffset);
        std::u16string table;
        if (!wl::ReadTableText(file_, static_cast<int64_t>(tableOffset), tableBytes,
                               list_->GetName(), table)) {
            lastError_ = u"Not a container file: its table of contents cannot be read";
            return false;
        }
        list_->FromText(table);
        if (list_->ver > 1) {
            lastError_ = Format("Container version %d is not supported", {list_->ver});
            return false;
        }
        tableOffset_ = static_cast<int64_t>(tableOffset);
        return true;
    } catch (const wl::FileError& failure) {
        lastError_ = SystemErrorText(failure.error());
        return false;
    } catch (const std::bad_alloc&) {
        lastError_ = u"Not enough memory for the table of contents";
        return false;
    }
}

bool ContainerFile::RestoreItem(const ProjectItem& item, const std::u16string& shownPath,
                                wl::ByteFile* sink, bool exactSize, std::u16string& error) {
    if (item.compSize < 0) {
        error = Format("Err allocating comp mem '%s' %d ", {shownPath, item.compSize});
        return false;
    }
    if (item.size < 0) {
        error = Format("Err allocating mem '%s' %d ", {shownPath, item.size});
        return false;
    }
    // The image must lie within the images, before the table of contents.
    if (item.compSize > std::numeric_limits<uint32_t>::max() || item.pos < 0 ||
        item.pos > tableOffset_ || item.compSize > tableOffset_ - item.pos) {
        error = Format("Err reading file '%s' %d", {shownPath, item.compSize});
        return false;
    }
    if (!workers_) {
        workers_ = std::make_unique<Workers>();
    }
    file_.SeekTo(item.pos);
    int64_t produced = 0;
    switch (workers_->restorer.Restore(file_, item.compSize, item.size, sink, produced)) {
        case wl::ImageRestorer::Outcome::ShortRead:
            error = Format("Err reading file '%s' %d", {shownPath, item.compSize});
            return false;
        case wl::ImageRestorer::Outcome::Corrupt:
            error = Format("Err decompress file '%s' %d/%d", {shownPath, item.compSize, item.size});
            return false;
        case wl::ImageRestorer::Outcome::Restored:
            break;
    }
    if (exactSize && produced != item.size) {
        error = Format("File '%s' restores to %lld bytes instead of %lld",
                       {shownPath, produced, item.size});
        return false;
    }
    return true;
}

bool ContainerFile::ExtractProject(const Project& project, const std::filesystem::path& destination,
                                   wl::I_InfoWnd* progress, double from, double to,
                                   std::u16string& error, wl::FileAccess access) {
    const size_t n = static_cast<size_t>(project.items.Count());
    if (n == 0) {
        return true;
    }
    std::vector<std::filesystem::path> relatives;
    if (!CheckItemNames(project, relatives, error)) {
        return false;
    }
    // The container itself may lie in the destination (its own project unpacked beside it): it
    // is never emptied or written over.
    const wl::FileIdentity container = file_.Identity();
    constexpr const char16_t* kLinkOnTheWay = u"a folder on its way is a symbolic link";
    std::unordered_set<std::string> realFolders;
    for (size_t i = 0; i < n; ++i) {
        ReportProgress(progress, from, to, i, n);
        const ProjectItem& item = *project.items.Get(static_cast<int64_t>(i));
        const std::filesystem::path target = destination / relatives[i];
        if (item.type == ProjectItem::kDirectory) {
            const bool safe = NoLinkOnTheWay(destination, relatives[i], realFolders);
            if (!safe || !wl::CreateFolderPath(target)) {
                const int code = errno;
                error = WithReason(Format("Err creating directory %s", {PathToUtf16(target)}),
                                   safe ? wl::FileErrorReason(code) : kLinkOnTheWay);
                return false;
            }
            std::filesystem::path prefix;
            for (const auto& component : relatives[i]) {
                prefix /= component;
                realFolders.insert(prefix.native());
            }
        } else if (item.type == ProjectItem::kFile) {
            const std::u16string creating = Format("Err creating file %s", {PathToUtf16(target)});
            if (!NoLinkOnTheWay(destination, relatives[i].parent_path(), realFolders)) {
                error = WithReason(creating, kLinkOnTheWay);
                return false;
            }
            if (!RestoreFile(item, target, container, access, error)) {
                return false;
            }
        } else {
            error = Format("Unknown item type ? %d %s", {item.type, PathToUtf16(target)});
            return false;
        }
    }
    return true;
}

bool ContainerFile::RestoreFile(const ProjectItem& item, const std::filesystem::path& target,
                                const wl::FileIdentity& container, wl::FileAccess access,
                                std::u16string& error) {
    const std::u16string creating = Format("Err creating file %s", {PathToUtf16(target)});
    wl::ByteFile output;
    int createError = 0;
    if (!output.OpenForWriting(target, createError, wl::ByteFile::Links::Refuse, access)) {
        error = WithReason(creating, wl::FileErrorReason(createError));
        return false;
    }
    if (output.Identity() == container) {
        error = WithReason(creating, u"it is the container being read");
        return false;
    }
    if (output.Length() == 0) {
        // A new (or empty) file: nothing there can be lost, so it is written in place.
        if (!RestoreItem(item, PathToUtf16(target), &output, false, error)) {
            return false;
        }
        output.Close();
        return true;
    }
    // An earlier file of that name keeps its content until the new one is complete. The caller
    // brings everything onto the device at once.
    output.Close();
    wl::StagedFile staged(target, wl::StagedFile::Flush::kByCaller);
    if (!staged.ok() || !output.CreateForWriting(staged.path(), createError)) {
        error =
            WithReason(creating, staged.ok() ? wl::FileErrorReason(createError) : staged.error());
        return false;
    }
    if (!RestoreItem(item, PathToUtf16(target), &output, false, error)) {
        return false;
    }
    output.Close();
    if (!staged.Commit()) {
        error = WithReason(creating, staged.error());
        return false;
    }
    return true;
}

bool ContainerFile::VerifyProject(const Project& project, wl::I_InfoWnd* progress, double from,
                                  double to, std::u16string& error) {
    const size_t n = static_cast<size_t>(project.items.Count());
    std::vector<std::filesystem::path> relatives;
    if (!CheckItemNames(project, relatives, error)) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        ReportProgress(progress, from, to, i, n);
        const ProjectItem& item = *project.items.Get(static_cast<int64_t>(i));
        if (item.type == ProjectItem::kFile) {
            if (!RestoreItem(item, item.name, nullptr, true, error)) {
                return false;
            }
        } else if (item.type != ProjectItem::kDirectory) {
            error = Format("Unknown item type ? %d %s", {item.type, item.name});
            return false;
        }
    }
    return true;
}

}  // namespace BDL

#pragma once
// A container file: the compressed images of every packed file, one after the other from offset 0,
// then the table of contents as UTF-16LE tagged text, then 8 bytes holding the offset of that
// table. It carries one project per packed folder tree.
//
// Writing: Create, AddFolder per folder, Finish. Reading: Open, GetProjectList, ExtractProject.
// A container is untrusted input: every size, offset and name is checked before it is used.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>

#include "common/info_wnd.h"
#include "container/container_model.h"
#include "platform/byte_file.h"

namespace BDL {

class ContainerFile {
  public:
    static constexpr int64_t kLargestFile = 500000000;
    static constexpr int64_t kTrailerSize = 8;

    ContainerFile();
    ContainerFile(const ContainerFile&) = delete;
    ContainerFile& operator=(const ContainerFile&) = delete;
    ~ContainerFile();

    // Creates the file, or empties it, for writing. On failure LastError says why.
    bool Create(const std::filesystem::path& path);

    // Packs the folder tree as one new project and answers it; null with `error` set on failure:
    // a name the table of contents cannot keep, an entry that is neither file nor folder, a file
    // that cannot be opened or is too large, each with the reason. Errors of reading a packed
    // file or writing the container raise wl::FileError.
    Project* AddFolder(const std::u16string& name, int32_t type,
                       const std::filesystem::path& folder, wl::I_InfoWnd* progress, double from,
                       double to, std::u16string& error);

    // Appends the table of contents and the trailer. On a write error `cause` is its
    // FileErrorCause code; it is 0 on success and for failures without a cause.
    bool Finish(int& cause);

    // Closes the file; false when closing a written file failed, with its FileErrorCause code
    // in `cause` when one is given.
    bool Close(int* cause = nullptr);

    // Opens a container and loads its table of contents; false (LastError says why) when the
    // file cannot be read, is too short, has its table outside the file or a version above 1.
    bool Open(const std::filesystem::path& path);

    ProjectList& GetProjectList() { return *list_; }
    const std::u16string& LastError() const { return lastError_; }
    // Where the images end and the table of contents begins; 0 while writing.
    int64_t TableOffset() const { return tableOffset_; }

    // Recreates the project's tree under `destination`, its files open to everyone or to their
    // owner alone. Every name is checked before anything is written, and the container itself is
    // never written over. Errors of reading the container or writing a file raise wl::FileError.
    bool ExtractProject(const Project& project, const std::filesystem::path& destination,
                        wl::I_InfoWnd* progress, double from, double to, std::u16string& error,
                        wl::FileAccess access = wl::FileAccess::kEveryone);

    // Restores every image of the project without writing it anywhere; false when a name is
    // unsafe or an image does not restore to its recorded size.
    bool VerifyProject(const Project& project, wl::I_InfoWnd* progress, double from, double to,
                       std::u16string& error);

  private:
    // False with the reason when the file cannot be packed; errors of reading it or writing the
    // container raise wl::FileError.
    bool StoreFile(Project& project, const std::filesystem::path& path, const std::u16string& name,
                   std::u16string& reason);
    // Restores one file item at `target`; an earlier file there stays whole until the new one
    // is complete.
    bool RestoreFile(const ProjectItem& item, const std::filesystem::path& target,
                     const wl::FileIdentity& container, wl::FileAccess access,
                     std::u16string& error);
    bool RestoreItem(const ProjectItem& item, const std::u16string& shownPath, wl::ByteFile* sink,
                     bool exactSize, std::u16string& error);

    std::unique_ptr<ProjectList> list_;
    wl::ByteFile file_;
    std::u16string lastError_;
    int64_t tableOffset_ = 0;
    struct Workers;
    std::unique_ptr<Workers> workers_;
};

}  // namespace BDL

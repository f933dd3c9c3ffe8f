#pragma once
// The table of contents of a container: a list of projects, one per packed folder, each with one
// item per file and directory of that folder tree.

#include <cstdint>
#include <string>

#include "container/sd_structure.h"

namespace BDL {

class ProjectItem : public wl::ISDStructure {
  public:
    static constexpr int32_t kFile = 0;
    static constexpr int32_t kDirectory = 1;

    ProjectItem();

    // Path below the packed folder with a backslash before every component: "\sub\a.dat".
    std::u16string name;
    int32_t type;
    int64_t pos;
    // Bytes before compression; 0 for a directory.
    int64_t size;
    // Length of the compressed image, header included; 0 for a directory.
    int64_t compSize;

  protected:
    void DeclareFields() override;
};

class Project : public wl::ISDStructure {
  public:
    Project();

    std::u16string name;
    wl::ISDItemVect<ProjectItem> items;
    // Chosen by the transfer that packed it: 1 for a route folder, 2 for measured data, ...
    int32_t type;

  protected:
    void DeclareFields() override;
};

class ProjectList : public wl::ISDStructure {
  public:
    ProjectList();

    int32_t ver;
    wl::ISDItemVect<Project> projects;

  protected:
    void DeclareFields() override;
};

}  // namespace BDL

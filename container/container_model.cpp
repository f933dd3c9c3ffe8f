#include "container/container_model.h"

namespace BDL {

ProjectItem::ProjectItem() : wl::ISDStructure(u"ProjectItem") {
    DeclareFields();
}

void ProjectItem::DeclareFields() {
    name.clear();
    type = kFile;
    pos = 0;
    size = 0;
    compSize = 0;
    // The element order differs from the member order: Pos is written last.
    AddField(u"Name", name);
    AddField(u"Type", type);
    AddField(u"Size", size);
    AddField(u"CompSize", compSize);
    AddField(u"Pos", pos);
}

Project::Project() : wl::ISDStructure(u"Project") {
    DeclareFields();
}

void Project::DeclareFields() {
    name.clear();
    items.Clear();
    type = 0;
    AddField(u"Name", name);
    AddField(u"Items", items);
    AddField(u"Type", type);
}

ProjectList::ProjectList() : wl::ISDStructure(u"ProjectList") {
    DeclareFields();
}

void ProjectList::DeclareFields() {
    ver = 1;
    projects.Clear();
    AddField(u"Ver", ver);
    AddField(u"Projects", projects);
}

}  // namespace BDL

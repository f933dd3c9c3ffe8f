#pragma once
// The texts the program shows beyond the string table's, with their built-in English defaults.
// They have a section of their own, "Wayload", so the string table keeps exactly the keys every
// language file has. The texts of the lower layers (files, containers, the system's reasons) are
// not among them: they stay English.

#include <string>

#include "locale/string_section.h"

namespace wl {

class ProgramTexts : public CStrSection {
  public:
    ProgramTexts();

    std::u16string NoAnalyzerConnected;
    std::u16string NoMemoryToFinishTransfer;
    std::u16string NoMemoryToUnpackRoute;
    std::u16string ExportInsidePackedFolderFmt;
    std::u16string RouteFileInWorkFolderFmt;
    std::u16string RouteFileInRouteFolderFmt;
    std::u16string OldRouteKeptFmt;
    std::u16string ErrCreateFolderFmt;
    std::u16string ErrReplaceFolderFmt;
    std::u16string ErrWriteFolderToDeviceFmt;
    std::u16string ErrListFolderFmt;
    std::u16string NoTempFolder;
    std::u16string WorkFolderBlocked;
    std::u16string ConverterRefusedFmt;
    std::u16string ConverterNotAllowed;
    std::u16string ConverterBusy;
};

// The program's one set of these texts, built with its defaults on first use, like the string
// table.
ProgramTexts& ProgramTextTable();

}  // namespace wl

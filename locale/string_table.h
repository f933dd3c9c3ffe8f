#pragma once
// The program's string table: every text the user sees that follows the chosen language, with its
// built-in English default. Code that shows a text reads the member named after its key.

#include <string>

#include "locale/string_section.h"

namespace wl {

// Named like its section in language files, "strBDL".
class strBDL : public CStrSection {  // NOLINT(readability-identifier-naming)
  public:
    strBDL();

    std::u16string AppTitle;
    std::u16string BtnOK;
    std::u16string BtnCANCEL;
    std::u16string Language;
    std::u16string ConnectInstrument;
    std::u16string InstrumentConnedtedFmt;  // the key is spelled so in every language file
    std::u16string InstrTKC;
    std::u16string InstrTKB;
    std::u16string InstrTKA;
    std::u16string InstrPellix;
    std::u16string ExportFile;
    std::u16string ImportFile;
    std::u16string OverwritePromptFmt;
    std::u16string Error;
    std::u16string ErrorCreateBDL;
    std::u16string ErrCreateTempDirectory;
    std::u16string ErrGresaRoutePellixInstrument;
    std::u16string ErrPellixRouteGresaInstrument;
    std::u16string RoutesSavedFmt;
    std::u16string ErrSavingRoutesFmt;
    std::u16string RoutesUploaded;
    std::u16string RoutesNotUploaded;
    std::u16string PellixEraseMsg;
    std::u16string PellixNotRunning;
    std::u16string PellixRouteSaved;
    std::u16string PellixErrSavingRoute;
    std::u16string PellixWrongFormat;
    std::u16string PellixErrDownloadingData;
    std::u16string TitleSelectRouteDlg;
    std::u16string All;
    std::u16string Analyzer;
    std::u16string Route;
    std::u16string NoRotuesWereSelected;  // the key is spelled so in every language file
};

// The one table of the program, built with its defaults on first use, which is before any text
// is shown (a function-local object avoids depending on the order of static initialisation).
strBDL& StringTable();

}  // namespace wl

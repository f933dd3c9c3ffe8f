#include "locale/string_table.h"

namespace wl {

// The order of the keys is the order in which they are bound and loaded.
strBDL::strBDL() : CStrSection(u"strBDL") {
    AddString(u"AppTitle", AppTitle, u"Tarvek Trailpack");
    AddString(u"BtnOK", BtnOK, u"OK");
    AddString(u"BtnCANCEL", BtnCANCEL, u"Cancel");
    AddString(u"Language", Language, u"Language");
    AddString(u"ConnectInstrument", ConnectInstrument, u"Connect instrument...");
    AddString(u"InstrumentConnedtedFmt", InstrumentConnedtedFmt, u"Found instrument %s ");
    AddString(u"InstrTKC", InstrTKC, u"TKCMax");
    AddString(u"InstrTKB", InstrTKB, u"TKBMax");
    AddString(u"InstrTKA", InstrTKA, u"TKA");
    AddString(u"InstrPellix", InstrPellix, u"Pellix S");
    AddString(u"ExportFile", ExportFile, u"Export File");
    AddString(u"ImportFile", ImportFile, u"Import File");
    AddString(u"OverwritePromptFmt", OverwritePromptFmt,
              u"Overwrite following route '%s' in instrument?");
    AddString(u"Error", Error, u"Error");
    AddString(u"ErrorCreateBDL", ErrorCreateBDL, u"Can't create route file");
    AddString(u"ErrCreateTempDirectory", ErrCreateTempDirectory, u"Can't create temp. directory");
    AddString(u"ErrGresaRoutePellixInstrument", ErrGresaRoutePellixInstrument,
              u"Can't store Gresa route into Pellix instrument");
    AddString(u"ErrPellixRouteGresaInstrument", ErrPellixRouteGresaInstrument,
              u"Can't store Pellix route into Gresa instrument");
    AddString(u"RoutesSavedFmt", RoutesSavedFmt, u"Routes saved into '%s'");
    AddString(u"ErrSavingRoutesFmt", ErrSavingRoutesFmt, u"Error saving route(s) into %s");
    AddString(u"RoutesUploaded", RoutesUploaded,
              u"Following routes were uploaded into instrument : \r\n");
    AddString(u"RoutesNotUploaded", RoutesNotUploaded,
              u"Following routes were NOT uploaded into instrument : \r\n");
    AddString(u"PellixEraseMsg", PellixEraseMsg,
              u"Instrument memory will be erased !\r\nContinue?");
    AddString(u"PellixNotRunning", PellixNotRunning, u"Instrument is not running.");
    AddString(u"PellixRouteSaved", PellixRouteSaved, u"Route '%s' was uploaded into instrument");
    AddString(u"PellixErrSavingRoute", PellixErrSavingRoute,
              u"Error appeared while uploading route into instrument");
    AddString(u"PellixWrongFormat", PellixWrongFormat, u"Not a Pellix S rd file?)");
    AddString(u"PellixErrDownloadingData", PellixErrDownloadingData,
              u"Error appeared when downloading data from Pellix S");
    AddString(u"TitleSelectRouteDlg", TitleSelectRouteDlg, u"Select Routes");
    AddString(u"All", All, u"All");
    AddString(u"Analyzer", Analyzer, u"Analyzer");
    AddString(u"Route", Route, u"Route");
    AddString(u"NoRotuesWereSelected", NoRotuesWereSelected, u"No routes(s) were selected!!");
}

strBDL& StringTable() {
    static strBDL table;
    return table;
}

}  // namespace wl

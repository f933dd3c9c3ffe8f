#include "locale/program_texts.h"

namespace wl {

// The order of the keys is the order in which they are bound and loaded.
ProgramTexts::ProgramTexts() : CStrSection(u"Wayload") {
    AddString(u"NoAnalyzerConnected", NoAnalyzerConnected, u"No analyzer is connected.");
    AddString(u"NoMemoryToFinishTransfer", NoMemoryToFinishTransfer,
              u"Not enough memory to finish the transfer.");
    AddString(u"NoMemoryToUnpackRoute", NoMemoryToUnpackRoute,
              u"Not enough memory to unpack this route.");
    AddString(u"ExportInsidePackedFolderFmt", ExportInsidePackedFolderFmt,
              u"The export file cannot be written inside %s, a folder it packs");
    AddString(u"RouteFileInWorkFolderFmt", RouteFileInWorkFolderFmt,
              u"The route file cannot be read from %s, the folder it is unpacked into");
    AddString(u"RouteFileInRouteFolderFmt", RouteFileInRouteFolderFmt,
              u"the route file %s lies in this route's folder");
    AddString(u"OldRouteKeptFmt", OldRouteKeptFmt, u"The old route is kept in %s");
    AddString(u"ErrCreateFolderFmt", ErrCreateFolderFmt, u"Can't create folder %s");
    AddString(u"ErrReplaceFolderFmt", ErrReplaceFolderFmt, u"Can't replace folder %s");
    AddString(u"ErrWriteFolderToDeviceFmt", ErrWriteFolderToDeviceFmt,
              u"Can't write folder %s to the device");
    AddString(u"ErrListFolderFmt", ErrListFolderFmt, u"Can't list folder %s - %s");
    AddString(u"NoTempFolder", NoTempFolder, u"There is no temporary folder to use.");
    AddString(u"WorkFolderBlocked", WorkFolderBlocked,
              u"Something stands in its place that cannot be removed.");
    AddString(u"ConverterRefusedFmt", ConverterRefusedFmt,
              u"The converter %s is connected but cannot be opened: %s.");
    AddString(u"ConverterNotAllowed", ConverterNotAllowed,
              u"Install the program's udev rule (60-wayload.rules), which lets the logged-in user "
              u"use it, or join the group \"dialout\" and log in again.");
    AddString(u"ConverterBusy", ConverterBusy,
              u"Another program holds it: close that program. ModemManager and brltty are known "
              u"to take such converters.");
}

ProgramTexts& ProgramTextTable() {
    static ProgramTexts texts;
    return texts;
}

}  // namespace wl

#include "transfer/transfer_sequences.h"

#include <utility>

#include "transfer/analyzer_download.h"
#include "transfer/analyzer_upload.h"
#include "transfer/serial_download.h"
#include "transfer/serial_upload.h"

namespace wl {

TransferSequences::TransferSequences(ITransferUi& ui, CT7300Instrument& instrument,
                                     std::filesystem::path tempFolder)
    : ui_(ui), instrument_(instrument), tempFolder_(std::move(tempFolder)) {}

void TransferSequences::UploadToAnalyzer(const DetectedInstrument& instrument) {
    wl::UploadToAnalyzer(ui_, instrument);
}

void TransferSequences::DownloadFromAnalyzer(const DetectedInstrument& instrument) {
    wl::DownloadFromAnalyzer(ui_, instrument);
}

void TransferSequences::UploadToSerialInstrument() {
    wl::UploadToSerialInstrument(ui_, instrument_, tempFolder_);
}

void TransferSequences::DownloadFromSerialInstrument() {
    wl::DownloadFromSerialInstrument(ui_, instrument_, tempFolder_);
}

}  // namespace wl

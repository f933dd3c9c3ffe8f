#include "transfer/transfer_sequences.h"

#include <new>
#include <utility>

#include "locale/program_texts.h"
#include "transfer/analyzer_download.h"
#include "transfer/analyzer_upload.h"
#include "transfer/serial_download.h"
#include "transfer/serial_upload.h"
#include "transfer/transfer_messages.h"

namespace wl {

TransferOutcome RunWithinMemory(ITransferUi& ui, const std::function<TransferOutcome()>& transfer) {
    try {
        return transfer();
    } catch (const std::bad_alloc&) {
        // The transfer's memory is released by now, so the message can be shown.
        ShowError(ui, ProgramTextTable().NoMemoryToFinishTransfer);
        return TransferOutcome::kFailed;
    }
}

TransferSequences::TransferSequences(ITransferUi& ui, CT7300Instrument& instrument,
                                     std::filesystem::path tempFolder)
    : ui_(ui), instrument_(instrument), tempFolder_(std::move(tempFolder)) {}

void TransferSequences::UploadToAnalyzer(const DetectedInstrument& instrument) {
    RunWithinMemory(ui_, [&] { return wl::UploadToAnalyzer(ui_, instrument); });
}

void TransferSequences::DownloadFromAnalyzer(const DetectedInstrument& instrument) {
    RunWithinMemory(ui_, [&] { return wl::DownloadFromAnalyzer(ui_, instrument); });
}

void TransferSequences::UploadToSerialInstrument() {
    RunWithinMemory(ui_,
                    [&] { return wl::UploadToSerialInstrument(ui_, instrument_, tempFolder_); });
}

void TransferSequences::DownloadFromSerialInstrument() {
    RunWithinMemory(
        ui_, [&] { return wl::DownloadFromSerialInstrument(ui_, instrument_, tempFolder_); });
}

}  // namespace wl

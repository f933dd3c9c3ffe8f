#pragma once
// Which instrument is connected, asked on every tick: the serial link first, then the mounted
// drives by the first four characters of their volume labels.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "app/drive_list.h"
#include "common/instrument_kind.h"
#include "instrument/ftdi_driver.h"

namespace wl {

class CT7300Instrument;

// The serial probe; tests fake it.
class ISerialProbe {
  public:
    virtual ~ISerialProbe() = default;
    virtual bool IsConnected() = 0;
    // A converter the last probe found but could not open; nothing otherwise.
    virtual std::optional<ConverterRefusal> Refusal() const { return std::nullopt; }
};

// The serial link as the main window sees it: probed on a tick, let go when the converter is
// removed.
class ISerialLink : public ISerialProbe {
  public:
    virtual void Disconnect() = 0;
};

// The real link: the serial instrument's own IsConnected, which rate-limits its attempts.
class T7300SerialProbe : public ISerialLink {
  public:
    explicit T7300SerialProbe(CT7300Instrument& instrument) : instrument_(instrument) {}
    bool IsConnected() override;
    void Disconnect() override;
    std::optional<ConverterRefusal> Refusal() const override;

  private:
    CT7300Instrument& instrument_;
};

// The folder an analyzer of `kind` keeps its route and data folders under, below its drive root.
std::filesystem::path AnalyzerDrivePath(int32_t kind, const std::filesystem::path& root);

// The analyzer kind a volume label announces, or kInstrumentNone.
int32_t AnalyzerKindOfLabel(const std::string& label);

// What to tell the user of a converter that is there but cannot be opened: its device, the
// system's reason and the remedy.
std::u16string ConverterRefusalText(const ConverterRefusal& refusal);

// One detection pass; true when an instrument was found.
bool DetectInstrument(ISerialProbe& serial, IDriveLister& drives, DetectedInstrument& state);

}  // namespace wl

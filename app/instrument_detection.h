#pragma once
// Which instrument is connected, asked on every tick: the serial link first, then the mounted
// drives by the first four characters of their volume labels.

#include <cstdint>
#include <filesystem>

#include "app/drive_list.h"
#include "common/instrument_kind.h"

namespace wl {

class CT7300Instrument;

// The serial probe; tests fake it.
class ISerialProbe {
  public:
    virtual ~ISerialProbe() = default;
    virtual bool IsConnected() = 0;
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

  private:
    CT7300Instrument& instrument_;
};

// The folder an analyzer of `kind` keeps its route and data folders under, below its drive root.
std::filesystem::path AnalyzerDrivePath(int32_t kind, const std::filesystem::path& root);

// The analyzer kind a volume label announces, or kInstrumentNone.
int32_t AnalyzerKindOfLabel(const std::string& label);

// One detection pass; true when an instrument was found.
bool DetectInstrument(ISerialProbe& serial, IDriveLister& drives, DetectedInstrument& state);

}  // namespace wl

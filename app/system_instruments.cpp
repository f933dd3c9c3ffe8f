#include "app/system_instruments.h"

#include "instrument/trace.h"
#include "platform/clock.h"

namespace wl {

SystemInstruments::SystemInstruments(const SerialSettings& settings, Clock& clock)
    : driver_(MakeDriver(settings)),
      instrument_(*driver_, clock, ProgramTrace()),
      serial_(instrument_),
      drives_(kSystemMountInfo, kSystemByLabelFolder, labels_) {}

}  // namespace wl

#include "app/system_instruments.h"

#include "instrument/trace.h"
#include "platform/clock.h"

namespace wl {

SystemInstruments::SystemInstruments(const SerialSettings& settings)
    : driver_(MakeDriver(settings)),
      instrument_(*driver_, ProgramClock(), ProgramTrace()),
      serial_(instrument_),
      drives_(kSystemMountInfo, kSystemByLabelFolder, labels_) {}

}  // namespace wl

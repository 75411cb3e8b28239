#include "host/Clavis.h"

CClavis::CClavis(const QClavis& key) {
  mode = key.mode();
  instrument = key.instrument();
  channel = key.channel();
  location = key.location();
  parameter = key.parameter();
  sensor = key.sensor();
}

QClavis CClavis::ToQClavis() const {
  return QClavis(mode, instrument, channel, location, parameter, sensor);
}

bool CClavis::SeaLookup(CSeaBase& sea, const std::string& name, bool write) {
  int32_t* const fields[6] = {&mode, &instrument, &channel, &location, &parameter, &sensor};
  if (write) {
    for (int i = 0; i < 6; ++i) sea.LookupSetInt(name, *fields[i], i);
    return true;
  }
  const bool found = sea.HasEntry(name);
  for (int i = 0; i < 6; ++i) *fields[i] = sea.LookupGetInt(name, i, -1);
  return found;
}

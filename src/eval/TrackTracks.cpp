#include "eval/TrackTracks.h"

bool CTrackTracks::process(unsigned /*pass*/) {
  return false;
}

#pragma once
// Hats: single values taken from a band of a spectrum (instrument 1001, or 1070 for the
// spectra of instrument 2700) with their own limit and error code. These functions decide
// whether a hat belongs to a spectrum and whether it is evaluated as a maximum against an
// upper limit, in which case it takes the bins of its band over from the spectrum.

#include <map>
#include <utility>

#include "host/ParamRecords.h"
#include "host/Params.h"
#include "store/Keys.h"

namespace Kelva {

// The hat instruments, and the spectrum instrument whose hats have their own instrument.
constexpr int kHatInstrument = 1001;
constexpr int kHatOf2700Instrument = 1070;
constexpr int kSpectrum2700Instrument = 2700;

enum spectral_hat_match_t { hat_not_of_spectrum = 0, hat_of_spectrum = 1 };

using sv_of_spec_iterator = std::map<QIdx1, QVIpSvOfSpec>::const_iterator;

// The hat instrument of a spectrum instrument: 1070 for 2700, else 1001.
int HatInstrumentOf(int spectrumInstrument);

// Whether hat H belongs to spectrum S, and the hat's QVIpSvOfSpec record (the map's end when
// it has none, or when the sensors or the hat's spectrum parameter already rule it out):
//  - H and S have the same sensor, H's parameter has a QVIpSvOfSpec record, and the hat's
//    spectrum parameter (calculation parameter 8 of H's parameter, -1 when missing or not a
//    number) is -1 or S's parameter;
//  - a band in orders (definition text without 'H' and 'M') belongs to the spectrum of its
//    own location, or of the rotor its location sees on an order-resampled channel (bit 0);
//  - a band in hertz with record location -1 belongs to every spectrum of a rotor-bound
//    channel (bit 1), and to the spectrum of the rotor its location sees on an order-resampled
//    channel; with a record location other than -1, to the spectrum of its own location.
std::pair<spectral_hat_match_t, sv_of_spec_iterator> SpectralHatMatches(
    const CDtParamInstance& params, const QClavis& hat, const QClavis& spectrum);

// Whether H is an evaluated maximum hat: a LimSValue record with evaluation switch 1, a hat
// instrument, an upper-limit instrument parameter, and a maximum interpretation (2 or 6). A
// missing record of any kind answers false.
bool IsSpectralSingleValue(const CDtParamInstance& params, const QClavis& hat);

}  // namespace Kelva

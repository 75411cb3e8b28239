#pragma once
// PartDetail: one detailed part of the report (a line of Report/detail.jsonl: serial, result
// code and the plug-in's description of the part) as rows of the stored-values table and as
// plots of its spectra and tracks against their limits.
//
// Limits, judged as the evaluation judges them: a single value or a spectrum has one limit, which
// bounds it from above in evaluation mode 2 (upper) and from below in every other limited mode
// (1 lower, 3 interval); a track point has an upper limit in modes 2 and 3 and a lower one in
// modes 1 and 3.

#include <string>

#include <nlohmann/json.hpp>

#include "SvgPlot.h"

namespace PartDetail {

// "Run-up 2nd gear / Body sound / Input shaft / RMS" from the names, ids where a name is
// missing; the key's six ids for a quantity without names.
std::string QuantityName(const nlohmann::json& quantity);
// "[1,1,1,1,100,2]".
std::string KeyText(const nlohmann::json& quantity);

// Whether a single value lies beyond its limit.
bool SingleViolates(const nlohmann::json& quantity);

// The <tr> rows of the part's single values; `anchor` is the id of the part's detail section.
std::string ValueRows(const nlohmann::json& detail, const std::string& anchor);

SvgPlot::Plot SpectrumPlot(const nlohmann::json& quantity);
SvgPlot::Plot TrackPlot(const nlohmann::json& quantity);

// One <figure> per spectrum and track; "" when the part has none.
std::string Plots(const nlohmann::json& detail);

}  // namespace PartDetail

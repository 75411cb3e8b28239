#include "MarginalBand.h"

#include <bitset>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>

namespace {

QClavis KeyOf(const nlohmann::json& key) {
  return QClavis(key[0].get<int>(), key[1].get<int>(), key[2].get<int>(), key[3].get<int>(),
                 key[4].get<int>(), key[5].get<int>());
}

bool IsKey(const nlohmann::json& key) {
  if (!key.is_array() || key.size() != 6) return false;
  for (const nlohmann::json& id : key)
    if (!id.is_number_integer()) return false;
  return true;
}

float Number(const nlohmann::json& value) {
  return value.is_number() ? value.get<float>() : std::numeric_limits<float>::quiet_NaN();
}

// evalMode of a limited value: 1 lower, 2 upper, 3 both.
constexpr int kLower = 1, kUpper = 2;

// Takes `value` when it lies in the band of its limit and is closer to it than `best`.
bool Closer(float value, float limit, float mean, bool upper, float share, double& best) {
  if (mean == 0.0f) return false;  // nothing learned yet: there is no band
  const double left = ShareLeft(value, limit, mean, upper);
  if (!(left >= 0.0 && left < share) || left >= best) return false;
  best = left;
  return true;
}

}  // namespace

double ShareLeft(float value, float limit, float mean, bool upper) {
  const double distance = upper ? double{limit} - mean : double{mean} - limit;
  if (!(distance > 0.0) || !std::isfinite(value)) return std::numeric_limits<double>::quiet_NaN();
  return (upper ? double{limit} - value : double{value} - limit) / distance;
}

bool CMarginalBands::Load(const std::string& planPath, std::string& error) {
  std::ifstream in(planPath, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A plan without bands is not parsed again (the plan reader has checked it).
  if (in.is_open() && text.find("\"marginal\"") == std::string::npos) return true;
  const nlohmann::json plan = nlohmann::json::parse(text, nullptr, false);
  if (!in.is_open() || plan.is_discarded()) {
    error = "the plan " + planPath + " cannot be read for its marginal bands";
    return false;
  }
  if (!plan.contains("quantities") || !plan["quantities"].is_array()) return true;
  for (const nlohmann::json& q : plan["quantities"])
    if (q.is_object() && q.contains("marginal") && q["marginal"].is_number() && q.contains("key") &&
        IsKey(q["key"]))
      shares_[KeyOf(q["key"])] = q["marginal"].get<float>();
  return true;
}

std::vector<MarginalValue> CMarginalBands::Find(const nlohmann::json& part) const {
  std::vector<MarginalValue> found;
  if (!part.contains("quantities") || !part["quantities"].is_array()) return found;
  for (const nlohmann::json& q : part["quantities"]) {
    if (!q.is_object() || !q.contains("key") || !IsKey(q["key"])) continue;
    const auto share = shares_.find(KeyOf(q["key"]));
    if (share == shares_.end()) continue;
    MarginalValue marginal;
    marginal.key = share->first;
    double best = std::numeric_limits<double>::infinity();
    const std::string kind = q.value("kind", "");
    if (kind == "single") {
      const float value = Number(q["value"]), limit = Number(q["limit"]), mean = Number(q["mean"]);
      const int mode = q.value("evalMode", 0);
      const bool upper = mode == kUpper || (mode != kLower && limit >= mean);
      if (mode == 0 || !Closer(value, limit, mean, upper, share->second, best)) continue;
      marginal.value = value;
      marginal.limit = limit;
      marginal.mean = mean;
    } else if (kind == "track" && q.contains("points") && q["points"].is_array()) {
      marginal.track = true;
      marginal.values = 0;
      for (const nlohmann::json& p : q["points"]) {
        if (!p.is_array() || p.size() != 6) continue;
        const float x = Number(p[0]), value = Number(p[1]), upper = Number(p[3]),
                    lower = Number(p[4]), mean = Number(p[5]);
        const int mode = p[2].is_number_integer() ? p[2].get<int>() : 0;
        bool counted = false;
        for (const bool isUpper : {true, false}) {
          if ((mode & (isUpper ? kUpper : kLower)) == 0) continue;
          const float limit = isUpper ? upper : lower;
          double here = std::numeric_limits<double>::infinity();
          if (!Closer(value, limit, mean, isUpper, share->second, here)) continue;
          counted = true;
          if (here < best) {
            best = here;
            marginal.value = value;
            marginal.limit = limit;
            marginal.mean = mean;
            marginal.x = x;
          }
        }
        marginal.values += counted ? 1 : 0;
      }
      if (marginal.values == 0) continue;
    } else {
      continue;
    }
    marginal.left = best;
    found.push_back(marginal);
  }
  return found;
}

namespace {

std::string QuantityText(const QClavis& key, const CDtParamInstance& params) {
  return params.FormatClavisText(key, std::bitset<6>("010111"));
}

}  // namespace

std::string MarginalLines(const std::vector<MarginalValue>& values,
                          const CDtParamInstance& params) {
  std::string lines;
  char text[160];
  for (const MarginalValue& m : values) {
    lines += "    marginal   " + QuantityText(m.key, params);
    if (m.track)
      std::snprintf(text, sizeof(text), " %d point%s, closest %.2f at %.2f", m.values,
                    m.values == 1 ? "" : "s", static_cast<double>(m.value),
                    static_cast<double>(m.x));
    else
      std::snprintf(text, sizeof(text), " %.2f", static_cast<double>(m.value));
    lines += text;
    std::snprintf(text, sizeof(text), " (limit %.2f, mean %.2f, %.0f %% of the margin left)\n",
                  static_cast<double>(m.limit), static_cast<double>(m.mean), 100.0 * m.left);
    lines += text;
  }
  return lines;
}

nlohmann::json MarginalJson(const std::vector<MarginalValue>& values,
                            const CDtParamInstance& params) {
  nlohmann::json list = nlohmann::json::array();
  for (const MarginalValue& m : values) {
    nlohmann::json entry = {{"key",
                             {m.key.mode(), m.key.instrument(), m.key.channel(), m.key.location(),
                              m.key.parameter(), m.key.sensor()}},
                            {"quantity", QuantityText(m.key, params)},
                            {"values", m.values},
                            {"value", m.value},
                            {"limit", m.limit},
                            {"mean", m.mean},
                            {"left", m.left}};
    if (m.track) entry["x"] = m.x;
    list.push_back(entry);
  }
  return list;
}

#pragma once
// The marginal bands of a plan's quantities ("marginal", docs/test-plan.md): values within
// their limits but close to one — closer than a share of the distance from the learned mean to
// the limit. The bench marks them in the part's lines, the summary and the report; the part's
// result does not change.

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/Params.h"
#include "store/Keys.h"

// The values of one quantity of a part in its marginal band, with the one closest to its limit.
struct MarginalValue {
  QClavis key;
  bool track = false;
  int values = 1;  // how many (points of a track)
  float value = 0.0f;
  float limit = 0.0f;
  float mean = 0.0f;
  float x = 0.0f;     // the point's place on the trigger axis (tracks)
  double left = 0.0;  // the share of the mean-to-limit distance still left to the limit
};

class CMarginalBands {
 public:
  // Reads the bands of the plan file (checked before by the plan reader). False with `error`
  // set when the file cannot be read.
  bool Load(const std::string& planPath, std::string& error);
  bool Empty() const { return shares_.empty(); }
  // The marginal values of a part, from the library's description of it (KelvaDescribePart),
  // in the order of the description.
  std::vector<MarginalValue> Find(const nlohmann::json& part) const;

 private:
  std::map<QClavis, float> shares_;
};

// One line per marginal quantity, as below a part's line:
// "    marginal   <quantity> 104.20 (limit 108.00, mean 95.10, 29 % of the margin left)\n"
// and for a track "    marginal   <quantity> 3 points, closest 104.20 at 2410.00 (limit …)\n".
std::string MarginalLines(const std::vector<MarginalValue>& values, const CDtParamInstance& params);
// [{"key", "quantity", "values", "value", "limit", "mean", "left"[, "x"]}, ...].
nlohmann::json MarginalJson(const std::vector<MarginalValue>& values,
                            const CDtParamInstance& params);

// How far `value` is from `limit`, as a share of the distance from `mean` to the limit: 0 at
// the limit, 1 at the mean; negative beyond the limit. NaN when the limit is not on the side it
// should be (an upper limit not above the mean, a lower one not below it).
double ShareLeft(float value, float limit, float mean, bool upper);

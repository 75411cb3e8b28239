#pragma once
// A replay's answer to "what would this plan have done with these parts": the result each
// recorded part has now, compared with the result it had when it was recorded.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class CRecordedComparison {
 public:
  // A part's result now and when recorded (-1: the log does not say; the part is not compared).
  void Add(const std::string& serial, int32_t recorded, int32_t now);
  bool Empty() const { return compared_ == 0; }
  // "  compared with the recording: N parts, M changed (O.K. -> n.O.K. a, n.O.K. -> O.K. b,
  // other c)" and one "    <serial>  <then> -> <now>" line per changed part.
  std::string Text() const;
  // {"parts", "changed", "okToNok", "nokToOk", "other", "changes": [{serial, recorded, now}]}.
  nlohmann::json Json() const;

 private:
  struct Change {
    std::string serial;
    int32_t recorded;
    int32_t now;
  };
  int compared_ = 0;
  int okToNok_ = 0, nokToOk_ = 0, other_ = 0;
  std::vector<Change> changes_;
};

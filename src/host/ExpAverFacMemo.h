#pragma once
// CExpAverFacMemo: CExpAverFacGenerator::GetFactor with the last answer remembered.
//
// The points of a track, and the quantities of a part learned since the same start, mostly ask
// for the factor of the same count and time constant one after the other; the comparison costs
// far less than the division in double. The answer is always GetFactor's, bit for bit.

#include "host/ExpAverFacGenerator.h"

class CExpAverFacMemo {
 public:
  float GetFactor(long count, long tc) {
    if (count != count_ || tc != tc_) {
      count_ = count;
      tc_ = tc;
      factor_ = CExpAverFacGenerator::GetFactor(count, tc);
    }
    return factor_;
  }

 private:
  // GetFactor(0, 0) is 0: the memo starts true.
  long count_ = 0;
  long tc_ = 0;
  float factor_ = 0.0f;
};

#include "eval/CurveFirstMax.h"

bool CCurveFirstMax::process(unsigned /*pass*/) {
  return false;
}

// Every benchmark names the instruction set its vector routines ran with, in the context lines
// printed before the results ("instruction_set: AVX2").
#include <benchmark/benchmark.h>

#include "host/Numeric.h"

namespace {

const bool kNamed = [] {
  benchmark::AddCustomContext("instruction_set", DVL::InstructionSet());
  return true;
}();

}  // namespace

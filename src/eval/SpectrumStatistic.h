#pragma once
// SpectrumStatistic: a single value taken from a spectrum and the x (in the spectrum's x unit)
// it belongs to; position 0 when the value is not taken at one bin.

struct SpectrumStatistic {
  float value = 0.0f;
  float position = 0.0f;
};

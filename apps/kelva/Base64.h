#pragma once
// Base64 (the standard alphabet with "=" padding) of little-endian float32 samples, the form
// in which the measurement log carries curves.

#include <string>
#include <string_view>
#include <vector>

namespace Base64 {

std::string EncodeFloats(const float* samples, size_t count);
// False (and `samples` unspecified) when `text` is not base64 of a whole number of floats.
bool DecodeFloats(std::string_view text, std::vector<float>& samples);

}  // namespace Base64

#include "ScalarLine.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "JsonLine.h"

namespace {

// A cursor over the line; every read checks the end.
struct Cursor {
  const char* p;
  const char* end;

  void SkipSpace() {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
  }
  // Skips blanks, then takes `c`.
  bool Take(char c) {
    SkipSpace();
    if (p >= end || *p != c) return false;
    ++p;
    return true;
  }
  // A text without escapes or control characters.
  bool Text(std::string_view& text) {
    if (!Take('"')) return false;
    const char* const start = p;
    for (; p < end && *p != '"'; ++p)
      if (*p == '\\' || static_cast<unsigned char>(*p) < 0x20) return false;
    if (p >= end) return false;
    text = std::string_view(start, static_cast<size_t>(p - start));
    ++p;
    return true;
  }
  bool Number(SJsonNumber& number) {
    SkipSpace();
    return ScanJsonNumber(p, end, number);
  }
  bool Integer(int64_t min, int64_t max, int64_t& value) {
    SJsonNumber number;
    if (!Number(number) || !number.fitsInt64 || number.integer < min || number.integer > max)
      return false;
    value = number.integer;
    return true;
  }
  // An integer of 0 or more ("-0" is not).
  bool Unsigned(int64_t& value) {
    SJsonNumber number;
    if (!Number(number) || !number.fitsInt64 || number.negative) return false;
    value = number.integer;
    return true;
  }
  // A number of float range, or one of the texts "nan", "inf", "-inf".
  bool Float(float& value) {
    SkipSpace();
    if (p < end && *p == '"') {
      std::string_view text;
      if (!Text(text)) return false;
      if (text == "nan")
        value = std::numeric_limits<float>::quiet_NaN();
      else if (text == "inf")
        value = std::numeric_limits<float>::infinity();
      else if (text == "-inf")
        value = -std::numeric_limits<float>::infinity();
      else
        return false;
      return true;
    }
    SJsonNumber number;
    double v = 0.0;
    if (!Number(number) || !number.CheapDouble(v) ||
        !(std::fabs(v) <= std::numeric_limits<float>::max()))
      return false;
    value = static_cast<float>(v);
    return true;
  }
  // `count` integers in [ ] separated by commas, each in [min[i], max[i]].
  bool Integers(int count, const int64_t* min, const int64_t* max, int64_t* values) {
    if (!Take('[')) return false;
    for (int i = 0; i < count; ++i)
      if ((i > 0 && !Take(',')) || !Integer(min[i], max[i], values[i])) return false;
    return Take(']');
  }
};

// The members of a scalar line.
enum Member : unsigned { mExpiry, mKey, mMeasured, mSlice, mTrigger, mUnit, mY, mCount };

// The member named `name`; mCount for any other name. The names differ in length, so the
// length picks the one name to compare with.
Member MemberNamed(std::string_view name) {
  static constexpr Member kByLength[9] = {mCount, mY,      mCount,   mKey,     mUnit,
                                          mSlice, mExpiry, mTrigger, mMeasured};
  static constexpr std::string_view kNames[mCount] = {"expiry",  "key",  "measured", "slice",
                                                      "trigger", "unit", "y"};
  if (name.size() >= 9) return mCount;
  const Member member = kByLength[name.size()];
  return member != mCount && kNames[member] == name ? member : mCount;
}

bool ReadMember(Cursor& in, Member member, CMeasuringResultScalar& value) {
  switch (member) {
    case mExpiry: {
      int64_t expiry = 0;
      if (!in.Integer(SignalBase::expire_measurement, SignalBase::expire_candidate, expiry))
        return false;
      value.SetTimeslice(value.context(), static_cast<SignalBase::measuring_expire_t>(expiry));
      return true;
    }
    case mKey: {
      static constexpr int64_t kMin[6] = {INT32_MIN, INT32_MIN, INT32_MIN,
                                          INT32_MIN, INT32_MIN, INT32_MIN};
      static constexpr int64_t kMax[6] = {INT32_MAX, INT32_MAX, INT32_MAX,
                                          INT32_MAX, INT32_MAX, INT32_MAX};
      int64_t k[6];
      if (!in.Integers(6, kMin, kMax, k)) return false;
      SClavis clavis;
      int32_t* fields[] = {&clavis.mode,     &clavis.instrument, &clavis.channel,
                           &clavis.location, &clavis.parameter,  &clavis.sensor};
      for (int i = 0; i < 6; ++i) *fields[i] = static_cast<int32_t>(k[i]);
      value.SetClavis(clavis);
      return true;
    }
    case mMeasured: {
      std::string_view text;
      return in.Text(text) && text == "scalar";
    }
    case mSlice: {
      int64_t slice = 0;
      if (!in.Unsigned(slice)) return false;
      value.SetTimeslice(static_cast<uint64_t>(slice), value.expire());
      return true;
    }
    case mTrigger: {
      static constexpr int64_t kMin[2] = {0, 0};
      static constexpr int64_t kMax[2] = {INT32_MAX, INT64_MAX};
      int64_t t[2];
      if (!in.Integers(2, kMin, kMax, t)) return false;
      value.SetTrigger(static_cast<int32_t>(t[0]), t[1]);
      return true;
    }
    case mUnit: {
      int64_t common = 0, exponent = 0, flags = 0;
      float factor = 0.0f;
      if (!in.Take('[') || !in.Integer(0, CMeasuringUnit::cuLastCommonUnit, common) ||
          !in.Take(',') || !in.Integer(INT32_MIN, INT32_MAX, exponent) || !in.Take(',') ||
          !in.Float(factor) || !in.Take(',') || !in.Integer(0, CMeasuringUnit::flagsKnown, flags) ||
          !in.Take(']') || !(std::isfinite(factor) && factor > 0.0f))
        return false;
      value.unit = CMeasuringUnit(static_cast<int32_t>(common), static_cast<int32_t>(exponent),
                                  factor, static_cast<uint32_t>(flags));
      return true;
    }
    case mY:
      return in.Float(value.value);
    case mCount:
      break;
  }
  return false;
}

}  // namespace

bool ReadScalarLine(std::string_view line, CMeasuringResultScalar& value) {
  Cursor in{line.data(), line.data() + line.size()};
  if (!in.Take('{')) return false;
  unsigned seen = 0;
  for (;;) {
    std::string_view name;
    if (!in.Text(name) || !in.Take(':')) return false;
    const Member member = MemberNamed(name);
    if (member == mCount || (seen & (1u << member)) != 0) return false;
    seen |= 1u << member;
    if (!ReadMember(in, member, value)) return false;
    in.SkipSpace();
    if (in.p >= in.end || *in.p != ',') break;
    ++in.p;
  }
  if (!in.Take('}')) return false;
  in.SkipSpace();
  constexpr unsigned kRequired = (1u << mExpiry) | (1u << mKey) | (1u << mMeasured) |
                                 (1u << mSlice) | (1u << mUnit) | (1u << mY);
  return in.p == in.end && (seen & kRequired) == kRequired;
}

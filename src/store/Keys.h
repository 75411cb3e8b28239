#pragma once
// The keys of every stored, learned, limited, evaluated and reported quantity.
//
// A key is N signed 32-bit fields. Keys order lexicographically over their fields in
// declaration order, each compared as a signed int: the first field that differs decides.
// Every store of the program is an ordered map over these keys and relies on that order:
// all entries of one mode form one contiguous range (mode is the first field), and all history
// sections of one quantity are contiguous and ascend by historyIndex (the last field).

#include <array>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <utility>

#include "store/QValueBase.h"

// A key of N int32 fields; every field is -1 in a default key.
template <int N>
class QIdxN : public QValueBase {
 public:
  static constexpr int kFields = N;

  QIdxN() { f_.fill(-1); }
  ~QIdxN() override = default;
  QIdxN(const QIdxN&) = default;
  QIdxN& operator=(const QIdxN&) = default;

  int32_t operator[](int i) const { return f_[static_cast<size_t>(i)]; }
  int32_t& operator[](int i) { return f_[static_cast<size_t>(i)]; }

  // References to the fields in declaration order (the persisted columns).
  auto tuple() { return Refs(f_, std::make_index_sequence<N>{}); }
  auto tuple() const { return Refs(f_, std::make_index_sequence<N>{}); }

  // The first field that differs decides (every store lookup runs through this: keep it a
  // plain loop the compiler unrolls).
  friend bool operator<(const QIdxN& a, const QIdxN& b) {
    for (size_t i = 0; i < N; ++i)
      if (a.f_[i] != b.f_[i]) return a.f_[i] < b.f_[i];
    return false;
  }
  friend bool operator==(const QIdxN& a, const QIdxN& b) {
    for (size_t i = 0; i < N; ++i)
      if (a.f_[i] != b.f_[i]) return false;
    return true;
  }

 protected:
  std::array<int32_t, N> f_;

 private:
  template <typename A, std::size_t... I>
  static auto Refs(A& a, std::index_sequence<I...>) {
    return std::tie(a[I]...);
  }
};

class QIdx1 : public QIdxN<1> {
 public:
  QIdx1() = default;
  explicit QIdx1(int32_t id) { f_ = {id}; }
  int32_t id() const { return f_[0]; }
};

class QIdx2 : public QIdxN<2> {
 public:
  QIdx2() = default;
  QIdx2(int32_t first, int32_t second) { f_ = {first, second}; }
  int32_t first() const { return f_[0]; }
  int32_t second() const { return f_[1]; }
};

// Key of the trigger-parameter table: mode, trigger id, dimension.
class QIdx3 : public QIdxN<3> {
 public:
  QIdx3() = default;
  QIdx3(int32_t mode, int32_t trigger, int32_t dimension) { f_ = {mode, trigger, dimension}; }
  int32_t mode() const { return f_[0]; }
  int32_t trigger() const { return f_[1]; }
  int32_t dimension() const { return f_[2]; }
};

class QIdx5 : public QIdxN<5> {
 public:
  QIdx5() = default;
  QIdx5(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) { f_ = {a, b, c, d, e}; }
};

// Six ids in the order of QClavis.
class QIdx6 : public QIdxN<6> {
 public:
  QIdx6() = default;
  QIdx6(int32_t mode, int32_t instrument, int32_t channel, int32_t location, int32_t parameter,
        int32_t sensor) {
    f_ = {mode, instrument, channel, location, parameter, sensor};
  }
};

// The key of one measured quantity of one test mode.
class QClavis : public QIdx6 {
 public:
  QClavis() = default;
  QClavis(int32_t mode, int32_t instrument, int32_t channel, int32_t location, int32_t parameter,
          int32_t sensor)
      : QIdx6(mode, instrument, channel, location, parameter, sensor) {}
  explicit QClavis(const QIdx6& key) : QIdx6(key) {}

  int32_t mode() const { return f_[0]; }
  int32_t instrument() const { return f_[1]; }
  int32_t channel() const { return f_[2]; }
  int32_t location() const { return f_[3]; }
  int32_t parameter() const { return f_[4]; }
  int32_t sensor() const { return f_[5]; }
  void set_mode(int32_t v) { f_[0] = v; }
  void set_instrument(int32_t v) { f_[1] = v; }
  void set_channel(int32_t v) { f_[2] = v; }
  void set_location(int32_t v) { f_[3] = v; }
  void set_parameter(int32_t v) { f_[4] = v; }
  void set_sensor(int32_t v) { f_[5] = v; }

  // The bounds of the contiguous range of all keys of one mode: [ModeBegin(m), ModeBegin(m+1)).
  // Host ids are non-negative, so (m,0,0,0,0,0) is below every real key of mode m.
  static QClavis ModeBegin(int32_t mode) { return QClavis(mode, 0, 0, 0, 0, 0); }
};

// The measuring-unit key: mode, instrument, channel, sensor of a QClavis. Location and
// parameter do not take part, so one unit serves all of them.
class QIdx4 : public QIdxN<4> {
 public:
  QIdx4() = default;
  QIdx4(int32_t mode, int32_t instrument, int32_t channel, int32_t sensor) {
    f_ = {mode, instrument, channel, sensor};
  }
  explicit QIdx4(const QClavis& key)
      : QIdx4(key.mode(), key.instrument(), key.channel(), key.sensor()) {}
};

// A history key: the six QClavis fields followed by the history section number.
class QIdx7 : public QIdxN<7> {
 public:
  QIdx7() = default;
  QIdx7(const QClavis& key, int32_t historyIndex) {
    for (int i = 0; i < 6; ++i) f_[static_cast<size_t>(i)] = key[i];
    f_[6] = historyIndex;
  }

  int32_t historyIndex() const { return f_[6]; }
  // The quantity's key: the first six fields.
  QClavis clavis() const { return QClavis(f_[0], f_[1], f_[2], f_[3], f_[4], f_[5]); }
};

// The argument pack of the track stores' inserts: a track key and a position on the track.
class S1int1int64 : public QValueBase {
 public:
  S1int1int64() = default;
  S1int1int64(int32_t trackKey, int64_t position) : trackKey(trackKey), position(position) {}

  int32_t trackKey = -1;
  int64_t position = -1;

  auto tuple() { return std::tie(trackKey, position); }
  auto tuple() const { return std::tie(trackKey, position); }

  friend bool operator==(const S1int1int64& a, const S1int1int64& b) {
    return a.trackKey == b.trackKey && a.position == b.position;
  }
};

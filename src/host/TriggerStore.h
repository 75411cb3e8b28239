#pragma once
// CTriggerStore: the trigger axes of the current parameter set. A trigger (a speed, a time, a
// torque) has per mode one or more dimensions, numbered from 1 in the trigger-parameter table;
// one of them is the tracked dimension, the axis tracks are recorded over. An axis is an
// interval of `count` cells: cell c lies at start + c·step (step < 0: a falling axis, e.g. a
// coast-down from 4,000 to 800 rpm).
//
// Track points are keyed by their cell; cell and position convert between a trigger value and
// a cell:
//   cell(x)     = round((x − start) / step)     (floor towards −∞ when not rounding)
//   position(c) = start + c · step

#include <cstdint>

class CDtParamInstance;

class CTriggerStore {
 public:
  class CInterval {
   public:
    CInterval() = default;
    CInterval(double start, double step, uint32_t count, unsigned dimension)
        : start_(start), step_(step), count_(count), dimension_(dimension) {}

    // An empty interval: no cells; position and cell then fail.
    void clear() { *this = CInterval(); }
    bool empty() const { return count_ == 0 || step_ == 0.0; }

    double start() const { return start_; }
    double step() const { return step_; }
    uint32_t count() const { return count_; }
    // The axis value of the last cell.
    double stop() const { return count_ == 0 ? start_ : start_ + (count_ - 1) * step_; }
    bool raising() const { return step_ > 0.0; }
    // The axis value of cell c, start + c · step in double, rounded to float: what position
    // gives, without its checks, for a caller that has made them once for many cells.
    float CellPosition(int64_t c) const {
      return static_cast<float>(start_ + static_cast<double>(c) * step_);
    }
    // The 0-based index of the dimension this interval belongs to.
    unsigned dimension() const { return dimension_; }

   private:
    double start_ = 0.0;
    double step_ = 0.0;
    uint32_t count_ = 0;
    unsigned dimension_ = 0;
  };

  // What Dimension answers when there is no tracked dimension.
  enum : int {
    kNoDefiniteDimension = -1,  // dimensions exist, but not exactly one is marked tracked
    kNoTriggerParameters = -2,  // the trigger has no dimension in the mode (or is no trigger)
  };

  explicit CTriggerStore(const CDtParamInstance& params) : params_(params) {}

  // The 0-based index of the tracked dimension of (mode, trigger): the one dimension marked as
  // tracked. A trigger whose dimensions in the mode are none or several of them marked tracked
  // tracks no definite dimension; no dimension is ever picked in its place, because points
  // recorded over a guessed axis would sit at wrong positions.
  int Dimension(int mode, int trigger) const;
  // Fills the interval of dimension index `dimension` of (mode, trigger); false when that
  // dimension has no axis (no entry, no cells or no step).
  bool field(int mode, int trigger, unsigned dimension, CInterval& interval) const;
  // The cells of the tracked dimension of (mode, trigger): what one track in that mode holds
  // at most; 0 when the trigger tracks no dimension with an axis in the mode.
  uint32_t TrackedCells(int mode, int trigger) const;

  // Cell → axis value. Only an interval of the given dimension converts; false (x unchanged)
  // for an empty interval or another dimension.
  static bool position(const CInterval& interval, int64_t cell, unsigned dimension, float& x);
  // Axis value → cell (nearest cell when `round`, else the cell at or before x in axis
  // direction). False for an empty interval, another dimension or a non-finite x.
  static bool cell(const CInterval& interval, unsigned dimension, float x, int64_t& cell,
                   bool round = true);

 private:
  const CDtParamInstance& params_;
};

#pragma once
// A quantity key as a plan file writes it: an array of six integers of 32 bits,
// [mode, instrument, channel, location, parameter, sensor]. The plan and its simulation
// section read keys alike.

#include <string>
#include <vector>

#include "host/JsonReader.h"
#include "store/Keys.h"

// The key at `node`; throws JsonRefusal naming the node (or the element) otherwise.
inline QClavis ReadPlanKey(const JsonNode& node) {
  const std::vector<JsonNode> items = node.Items();
  if (items.size() != 6)
    node.Fail(
        "a key of 6 integers [mode, instrument, channel, location, parameter, sensor], found " +
        std::to_string(items.size()) + " values");
  QClavis key;
  for (int i = 0; i < 6; ++i) key[i] = items[static_cast<size_t>(i)].Int();
  return key;
}

#include "host/JsonText.h"

#include <nlohmann/json.hpp>

namespace JsonText {

std::string Quoted(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace JsonText

#include "serve/json_text.h"

namespace zarvo::serve {

std::string JsonString(std::string_view text) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (c == '\n') {
      json += "\\n";
    } else if (byte < 0x20 || byte == 0x7f) {
      json += "\\u00";
      json += kHex[byte >> 4];
      json += kHex[byte & 15];
    } else {
      json += c;
    }
  }
  json += '"';
  return json;
}

std::string JsonSquares(const std::vector<TSquare>& squares) {
  std::string json = "[";
  for (const TSquare& square : squares) {
    if (json.size() > 1) json += ',';
    json += '[';
    json += std::to_string(square.X);
    json += ',';
    json += std::to_string(square.Y);
    json += ']';
  }
  return json + "]";
}

}  // namespace zarvo::serve

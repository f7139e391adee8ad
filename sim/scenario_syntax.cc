// Where a scenario text stops being JSON, told as a person reading the file
// counts: line and column.
#include <algorithm>
#include <string>

#include "sim/scenario_loader.h"

namespace sim {
namespace {

// Accepts every value and keeps the first syntax error; the values
// themselves are read again by the checked loader.
class ErrorFinder : public nlohmann::json_sax<json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& problem) override {
    offset = position;
    reason = problem.what();
    return false;
  }

  std::size_t offset = 0;  // characters read when the error was found
  std::string reason;
};

// The library's text names the error after "column N: " and quotes what it
// read after "; last read"; only the naming part is kept.
std::string Reason(const std::string& text) {
  std::size_t column = text.find("column ");
  std::size_t start = text.find(": ", column == std::string::npos ? 0 : column);
  if (start == std::string::npos) return "not valid JSON";
  std::string reason = text.substr(start + 2);
  return reason.substr(0, reason.find("; last read"));
}

}  // namespace

std::string JsonSyntaxError(std::string_view text) {
  ErrorFinder finder;
  if (json::sax_parse(text, &finder)) return "";
  // The character read last is the one that did not fit; reading past the
  // end counts as one more.
  std::size_t at = finder.offset > text.size() ? text.size()
                   : finder.offset > 0         ? finder.offset - 1
                                               : 0;
  std::size_t newline =
      at == 0 ? std::string_view::npos : text.rfind('\n', at - 1);
  std::size_t lineStart = newline == std::string_view::npos ? 0 : newline + 1;
  std::size_t line = 1 + static_cast<std::size_t>(
                             std::count(text.begin(), text.begin() + at, '\n'));
  return "line " + std::to_string(line) + ", column " +
         std::to_string(at - lineStart + 1) + ": " + Reason(finder.reason);
}

}  // namespace sim

#include "client/retry_status.h"

#include "client/text_search.h"

namespace emclient {
namespace {

constexpr int kBusyStatus = 18034;
constexpr std::string_view kBusyDigits = "18034";
constexpr int kHtmlPage = 666666;
constexpr int kEmptyAnswer = 666667;

constexpr int kRetryWorthy[] = {
    38,    97,    4058,  6018,  9009,  12003, 14002,  14007,  14008, 18018,
    18034, 18060, 18070, 18071, 19003, 24004, 600002, 600013, 600014};

struct RetryPause {
  int status;
  uint32_t milliseconds;
};

constexpr RetryPause kPauses[] = {
    {38, 10000},    {4058, 10000},  {6018, 10000},  {14002, 10000},
    {14003, 10000}, {14007, 10000}, {14008, 10000}, {18060, 10000},
    {18070, 10000}, {18071, 10000}, {12003, 30000}, {kHtmlPage, 30000},
    {18018, 5000},
};
constexpr uint32_t kOtherPause = 1000;

int answerStatus(std::string_view response) {
  if (contains(response, "<version>3.")) {
    std::optional<std::string_view> code =
        textBetween(response, "<statuscode>", "</statuscode>");
    return code ? static_cast<int>(leadingNumber(*code)) : 0;
  }
  if (!contains(response, "NotSuccessMsg")) return 0;
  std::optional<std::string_view> number =
      textBetween(response, "<MessageNum", "</MessageNum>");
  if (!number) return 0;
  std::size_t close = number->find('>');
  if (close == kNotFound) return 0;
  return static_cast<int>(leadingNumber(number->substr(close + 1)));
}

}  // namespace

int retryStatus(std::string_view response, bool strict) {
  if (strict && contains(response, "<!DOCTYPE")) return kHtmlPage;
  if (strict && response.empty()) return kEmptyAnswer;
  // Judged leniently only the busy status asks for a retry, and an answer
  // giving it holds its digits: most answers are passed after one search.
  if (!strict && !contains(response, kBusyDigits)) return 0;
  int status = answerStatus(response);
  if (status == 0) return 0;
  if (strict) {
    for (int worthy : kRetryWorthy) {
      if (status == worthy) return status;
    }
  }
  return status == kBusyStatus ? kBusyStatus : 0;
}

uint32_t retryPause(int status) {
  for (const RetryPause& row : kPauses) {
    if (row.status == status) return row.milliseconds;
  }
  return kOtherPause;
}

}  // namespace emclient

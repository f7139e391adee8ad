// A SHOW of a kind costs time linear in the size of the answer: the list
// answer is parsed, the token list loaded and the names printed; a detail
// answer is parsed and printed in full. Time per row must stay flat from
// 1k to 100k rows.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "request/display.h"
#include "request/response_parser.h"
#include "request/token_list.h"
#include "request_answers.h"
#include "session/work_area.h"

namespace {

using request_bench::BenchSession;

void parseAnswer(BenchSession& bench, const std::string& answer) {
  session::WorkArea& work = bench.session.work;
  work = session::WorkArea{};
  work.currentLabel = session::copyText("", 0, "quill_main", __LINE__);
  work.responseText =
      session::copyText(answer.data(), answer.size(), "quill_soap", __LINE__);
  if (request::ParseResponseText(bench.context) != 0) std::abort();
}

void finishLine(BenchSession& bench) {
  session::releaseWorkArea(bench.session);
  session::compact();
}

void ListParseLoadAndPrint(benchmark::State& state) {
  BenchSession bench;
  int rows = static_cast<int>(state.range(0));
  std::string answer = request_bench::listAnswer(rows);
  for (auto _ : state) {
    parseAnswer(bench, answer);
    if (request::LoadTokenList(bench.context, request::kVdisks) != 0) {
      std::abort();
    }
    for (const session::ObjectToken* token = bench.session.tokenList;
         token != nullptr; token = token->next) {
      std::fprintf(session::outputStream, "\n  %s", token->name);
    }
    finishLine(bench);
  }
  request::RemoveTokensOfKind(bench.context, request::kAll);
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(ListParseLoadAndPrint)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void DetailParseAndDisplay(benchmark::State& state) {
  BenchSession bench;
  int elements = static_cast<int>(state.range(0));
  std::string answer = request_bench::detailAnswer(elements);
  for (auto _ : state) {
    parseAnswer(bench, answer);
    request::DisplayResponse(bench.context, bench.session.work.responseTree);
    finishLine(bench);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(answer.size()));
  state.SetItemsProcessed(state.iterations() * elements);
}
BENCHMARK(DetailParseAndDisplay)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

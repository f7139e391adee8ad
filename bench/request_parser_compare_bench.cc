// The response parser's throughput beside a general-purpose XML parser on
// the same answer. Both build a tree and throw it away each time; divide
// the two bytes_per_second figures of one run for the ratio.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include "request/response_parser.h"
#include "request_answers.h"
#include "session/work_area.h"

namespace {

using request_bench::BenchSession;

constexpr int kRows = 10000;

void ResponseParser(benchmark::State& state) {
  BenchSession bench;
  std::string answer = request_bench::listAnswer(kRows);
  shell::WorkArea& work = bench.session.work;
  for (auto _ : state) {
    work = shell::WorkArea{};
    work.currentLabel = shell::copyText("", 0, "quill_main", __LINE__);
    auto* root = shell::trackedNew<shell::ResponseNode>("quill_soap", __LINE__);
    work.responseTree = root;
    if (request::ParseResponse(bench.context, answer.c_str(), root) != 0) {
      std::abort();
    }
    shell::releaseWorkArea(bench.session);
    shell::compact();
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(answer.size()));
}
BENCHMARK(ResponseParser)->Unit(benchmark::kMillisecond);

void PugixmlParser(benchmark::State& state) {
  std::string answer = request_bench::listAnswer(kRows);
  for (auto _ : state) {
    pugi::xml_document document;
    if (!document.load_buffer(answer.data(), answer.size())) std::abort();
    benchmark::DoNotOptimize(document.first_child());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(answer.size()));
}
BENCHMARK(PugixmlParser)->Unit(benchmark::kMillisecond);

}  // namespace

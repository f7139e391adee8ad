// The response parser's throughput beside a general-purpose XML parser on
// the same answer. Both build a tree and throw it away each time; divide
// the two bytes_per_second figures of one run for the ratio.
//
// Both run on a heap that keeps the memory given back to it, as a session's
// heap is after its first answers: otherwise whichever runs on a fresh heap
// spends most of its time in page faults of memory the C library returned
// to the system after the previous parse.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <pugixml.hpp>

#include "request/response_parser.h"
#include "request_answers.h"
#include "session/work_area.h"

namespace {

using request_bench::BenchSession;

constexpr int kRows = 10000;

const bool kHeapKept = [] {
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  return true;
}();

void ResponseParser(benchmark::State& state) {
  BenchSession bench;
  std::string answer = request_bench::listAnswer(kRows);
  session::WorkArea& work = bench.session.work;
  for (auto _ : state) {
    work = session::WorkArea{};
    work.currentLabel = session::copyText("", 0, "quill_main", __LINE__);
    auto* root =
        session::trackedNew<session::ResponseNode>("quill_soap", __LINE__);
    work.responseTree = root;
    if (request::ParseResponse(bench.context, answer.c_str(), root) != 0) {
      std::abort();
    }
    session::releaseWorkArea(bench.session);
    session::compact();
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

// Cost of the codec's hot paths: one part packed, a five-part build, one message decoded.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"
#include "sms/pdu_builder.h"

namespace {

// A text of n characters, some of them outside ASCII.
std::string Letters(std::size_t n) {
    std::string s;
    while (bsms::CharCount(s) < n)
        s += "Ciao, ci vediamo domani alle 10.30 in piazza? àèìòù ";
    return bsms::CharPrefix(s, n);
}

void BM_PackSeptets160(benchmark::State& state) {
    const std::string text = Letters(160);
    for (auto _ : state)
        benchmark::DoNotOptimize(bsms::Pack_Septets(text));
}
BENCHMARK(BM_PackSeptets160);

void BM_BuildSubmit760(benchmark::State& state) {
    const bsms::SubmitRequest request{"391234567890", "+393331234567", Letters(760), true, false};
    for (auto _ : state)
        benchmark::DoNotOptimize(bsms::BuildSubmit(request));
}
BENCHMARK(BM_BuildSubmit760);

void BM_DecodeDeliver160(benchmark::State& state) {
    const std::string ud = bsms::Pack_Septets(Letters(160));
    const std::string pdu =
        "07919321436587F9040C919333132254760000502150015103"
        "40" +
        ud;
    const std::vector<std::string> picker = {"Bea (555)", "Carlo (3471112233)",
                                             "Anna (3331234567)"};
    for (auto _ : state)
        benchmark::DoNotOptimize(bsms::Decode_Sms_Deliver(pdu, picker));
}
BENCHMARK(BM_DecodeDeliver160);

}  // namespace

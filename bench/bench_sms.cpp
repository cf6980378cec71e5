// Cost of the codec's paths as the program runs them: the build of one part and of five, and
// the decoding of one message. Built with libosmocore, each also runs beside that library's
// packing (gsm_7bit_encode_n + osmo_hexdump_nospc) or unpacking (gsm_7bit_decode_n) of the same
// text, interleaved in one loop, and reports the speed-up as the counter "x_osmo", a ratio that
// does not depend on the machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "sms/decoder.h"
#include "sms/pdu_builder.h"

#ifdef BSMS_HAVE_OSMOCORE
extern "C" {
#include <osmocom/core/utils.h>
#include <osmocom/gsm/gsm_utils.h>
}
#endif

namespace {

// A text of n characters, some of them outside ASCII.
std::string Letters(std::size_t n) {
    std::string s;
    while (bsms::CharCount(s) < n)
        s += "Ciao, ci vediamo domani alle 10.30 in piazza? àèìòù ";
    return bsms::CharPrefix(s, n);
}

bsms::SubmitRequest Request(std::size_t chars) {
    return {"391234567890", "+393331234567", Letters(chars), true, false};
}

// A DELIVER of 160 septets from +393331234567, as the phone stores it.
std::string Deliver160() {
    const bsms::BuildOutcome o = bsms::BuildSubmit(Request(160));
    return "07919321436587F9040C919333132254760000502150015103"
           "40" +
           o.build.parts[0].Part_User_Data;
}

const std::vector<std::string> kPicker = {"Bea (555)", "Carlo (3471112233)", "Anna (3331234567)"};

void BM_BuildSubmit160(benchmark::State& state) {
    const bsms::SubmitRequest request = Request(160);
    for (auto _ : state)
        benchmark::DoNotOptimize(bsms::BuildSubmit(request));
}
BENCHMARK(BM_BuildSubmit160);

void BM_BuildSubmit760(benchmark::State& state) {
    const bsms::SubmitRequest request = Request(760);
    for (auto _ : state)
        benchmark::DoNotOptimize(bsms::BuildSubmit(request));
}
BENCHMARK(BM_BuildSubmit760);

// Times `base` and `other` in alternating batches, so that both see the same machine, and reports
// each one's time per call under the names given and how many times longer `other` takes.
template <typename Base, typename Other>
void Compare(benchmark::State& state, Base base, Other other, const std::string& baseName,
             const std::string& otherName, const std::string& ratioName) {
    using Clock = std::chrono::steady_clock;
    constexpr int kBatch = 64;
    Clock::duration baseTime{}, otherTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < kBatch; ++i)
            base();
        const auto t1 = Clock::now();
        for (int i = 0; i < kBatch; ++i)
            other();
        const auto t2 = Clock::now();
        baseTime += t1 - t0;
        otherTime += t2 - t1;
    }
    const double calls = static_cast<double>(state.iterations()) * kBatch;
    const auto ns = [calls](Clock::duration d) {
        return std::chrono::duration<double, std::nano>(d).count() / calls;
    };
    state.counters[baseName] = ns(baseTime);
    state.counters[otherName] = ns(otherTime);
    state.counters[ratioName] = ns(otherTime) / ns(baseTime);
}

// Five parts in UCS2 (Cyrillic, 330 UTF-16 units) beside five parts in 7-bit (760 characters);
// "x_7bit" is how many times longer the UCS2 build takes.
void BM_BuildSubmitUcs2Five_Vs7BitFive(benchmark::State& state) {
    std::string cyrillic;
    while (bsms::CharCount(cyrillic) < bsms::kUcs2UnitsPerPart * bsms::kMaxParts)
        cyrillic += "Привет, увидимся завтра в 10.30 на площади? ";
    const bsms::SubmitRequest ucs2{"391234567890", "+393331234567", bsms::CharPrefix(cyrillic, 330),
                                   true, false};
    const bsms::SubmitRequest gsm7 = Request(760);
    Compare(
        state, [&] { benchmark::DoNotOptimize(bsms::BuildSubmit(gsm7)); },
        [&] { benchmark::DoNotOptimize(bsms::BuildSubmit(ucs2)); }, "gsm7_ns", "ucs2_ns", "x_7bit");
}
BENCHMARK(BM_BuildSubmitUcs2Five_Vs7BitFive);

void BM_DecodeDeliver160(benchmark::State& state) {
    const std::string pdu = Deliver160();
    for (auto _ : state)
        benchmark::DoNotOptimize(bsms::Decode_Sms_Deliver(pdu, kPicker));
}
BENCHMARK(BM_DecodeDeliver160);

#ifdef BSMS_HAVE_OSMOCORE

// libosmocore reads one byte per character: the same text in Latin-1.
void OsmoPackHex(const std::string& latin1) {
    std::uint8_t packed[1024];
    int octets = 0;
    gsm_7bit_encode_n(packed, sizeof packed, latin1.c_str(), &octets);
    benchmark::DoNotOptimize(osmo_hexdump_nospc(packed, octets));
}

void CompareBuild(benchmark::State& state, std::size_t chars) {
    const bsms::SubmitRequest request = Request(chars);
    const std::string latin1 = bsms::Utf8ToCp1252(request.text);
    Compare(
        state, [&] { benchmark::DoNotOptimize(bsms::BuildSubmit(request)); },
        [&] { OsmoPackHex(latin1); }, "ours_ns", "osmo_ns", "x_osmo");
}

void BM_BuildSubmit160_VsOsmoPackHex(benchmark::State& state) {
    CompareBuild(state, 160);
}
BENCHMARK(BM_BuildSubmit160_VsOsmoPackHex);

void BM_BuildSubmit760_VsOsmoPackHex(benchmark::State& state) {
    CompareBuild(state, 760);
}
BENCHMARK(BM_BuildSubmit760_VsOsmoPackHex);

void BM_DecodeDeliver160_VsOsmoUnpack(benchmark::State& state) {
    const std::string pdu = Deliver160();
    std::uint8_t packed[1024];
    int octets = 0;
    gsm_7bit_encode_n(packed, sizeof packed, bsms::Utf8ToCp1252(Letters(160)).c_str(), &octets);
    char text[4 * 160 + 1];
    Compare(
        state, [&] { benchmark::DoNotOptimize(bsms::Decode_Sms_Deliver(pdu, kPicker)); },
        [&] {
            benchmark::DoNotOptimize(gsm_7bit_decode_n(text, sizeof text, packed, 160));
            benchmark::ClobberMemory();
        },
        "ours_ns", "osmo_ns", "x_osmo");
}
BENCHMARK(BM_DecodeDeliver160_VsOsmoUnpack);

#endif

}  // namespace

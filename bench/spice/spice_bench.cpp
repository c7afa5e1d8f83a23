// The converter's cost: a typical deck, a deck at Talvor's limits and two decks refused at the
// converter's own bounds, side by side with Talvor's reader reading the converted netlist.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "spice/converter.h"

using namespace talvor;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string TypicalDeck = ReadFile(TALVOR_TEST_DATA "/spice/amplifier_subckt.cir");

// Fourteen instances of a nine-element stage with long names: 127 elements, 45 unknowns.
std::string DeckAtTheLimit()
{
    std::string deck = "Limite\n.subckt amplifier_stage input output\n"
                       "Rbias_upper supply base 100k\nRbias_lower base 0 22k\n"
                       "Ccoupling_in input base 10u\nRcollector supply output 4.7k\n"
                       "Remitter emitter 0 1k\nCbypass emitter 0 100u\nQtransistor output base "
                       "emitter qn\nRload_part output 0 100k\nCload_part output 0 1p\n"
                       ".model qn NPN(IS=10f BF=150)\n.ends\nVsupply supply 0 DC 12\n.global "
                       "supply\n";
    for (int k = 0; k < 14; ++k)
        deck += std::string("Xstage_") + std::to_string(k) + " n" + std::to_string(k) + " n" +
                std::to_string(k + 1) + " amplifier_stage\n";
    return deck + ".ac dec 10 10 10meg\n";
}

// Ten levels of ten instances: refused after 10000 instances.
std::string ExplosiveDeck()
{
    std::string deck = "Explosivo\n.subckt s0 a\nR1 a 0 1\n.ends\n";
    for (int level = 1; level <= 10; ++level) {
        deck += std::string(".subckt s") + std::to_string(level) + " a\n";
        for (int k = 0; k < 10; ++k)
            deck +=
                std::string("X") + std::to_string(k) + " a s" + std::to_string(level - 1) + "\n";
        deck += ".ends\n";
    }
    return deck + "X1 n s10\n";
}

// Ten thousand resistors whose long names share their start: refused after naming.
std::string LongNamesDeck()
{
    std::string deck = "Nomes\n";
    for (int k = 0; k < 10000; ++k)
        deck += std::string("Rsame_long_prefix_") + std::to_string(k) + " a 0 1\n";
    return deck;
}

void Convert(benchmark::State& state, const std::string& deck, bool converts)
{
    for (auto _ : state) {
        Conversion conversion = ConvertDeck(deck, "bench.cir");
        if (conversion.converted != converts)
            state.SkipWithError("unexpected outcome");
        benchmark::DoNotOptimize(conversion);
    }
}

void ConvertTypical(benchmark::State& state) { Convert(state, TypicalDeck, true); }
void ConvertAtTheLimit(benchmark::State& state) { Convert(state, DeckAtTheLimit(), true); }
void RefuseExplosive(benchmark::State& state) { Convert(state, ExplosiveDeck(), false); }
void RefuseLongNames(benchmark::State& state) { Convert(state, LongNamesDeck(), false); }

// The converted typical deck read by Talvor's reader, for scale.
void ReadConvertedTypical(benchmark::State& state)
{
    const std::string path = "/tmp/talvor-spice-bench.net";
    std::ofstream(path) << ConvertDeck(TypicalDeck, "bench.cir").netlist;
    auto circuit = std::make_unique<Circuit>();
    RecordingSink sink;
    MessageLog log(sink);
    for (auto _ : state) {
        sink.lines.clear();
        if (!ReadNetlist(*circuit, log, path, false))
            state.SkipWithError("not read");
    }
    std::remove(path.c_str());
}

BENCHMARK(ReadConvertedTypical);
BENCHMARK(ConvertTypical);
BENCHMARK(ConvertAtTheLimit);
BENCHMARK(RefuseExplosive);
BENCHMARK(RefuseLongNames);

} // namespace

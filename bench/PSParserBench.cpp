#include "Core/PSParser.hpp"
#include "Core/Numbers.hpp"

#include <benchmark/benchmark.h>

#include <string>

using namespace corvane;

static std::string psText(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += "  " + Numbers::toText(i + 100) + "     1   501 someone    12:34.56  204800   3.5 "
                "/Applications/Some App.app/Contents/Frameworks/Helper " + Numbers::toText(i) + "\n";
    }
    return text;
}

static void PSParserParse(benchmark::State& state)
{
    const std::string text = psText(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PSParser::parse(text));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PSParserParse)->Arg(1000)->Arg(10000);

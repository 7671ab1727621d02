// CountCharacters on the largest text Vornic accepts, beside a plain copy of
// the same buffer in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "count/count.h"

namespace {

std::u16string PlainText() {
  std::u16string text;
  while (text.size() < vornic::MaxClipboardLength) text += u"The quick brown fox jumps over the lazy dog. ";
  text.resize(vornic::MaxClipboardLength);
  return text;
}

std::u16string HalfLineBreaks() {
  std::u16string text;
  while (text.size() < vornic::MaxClipboardLength) text += u"ab\r\n";
  text.resize(vornic::MaxClipboardLength);
  return text;
}

void SetBytes(benchmark::State& state, const std::u16string& text) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size() * sizeof(char16_t)));
}

void CountPlainText(benchmark::State& state) {
  const std::u16string text = PlainText();
  for (auto _ : state) benchmark::DoNotOptimize(vornic::CountCharacters(text));
  SetBytes(state, text);
}

void CountHalfLineBreaks(benchmark::State& state) {
  const std::u16string text = HalfLineBreaks();
  for (auto _ : state) benchmark::DoNotOptimize(vornic::CountCharacters(text));
  SetBytes(state, text);
}

void CopySameBuffer(benchmark::State& state) {
  const std::u16string text = PlainText();
  std::u16string copy(text.size(), u'\0');
  for (auto _ : state) {
    std::memcpy(copy.data(), text.data(), text.size() * sizeof(char16_t));
    benchmark::ClobberMemory();
  }
  SetBytes(state, text);
}

}  // namespace

BENCHMARK(CountPlainText);
BENCHMARK(CountHalfLineBreaks);
BENCHMARK(CopySameBuffer);

BENCHMARK_MAIN();

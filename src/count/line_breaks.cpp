#include "count/line_breaks.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VORNIC_HAS_SSE2_KERNEL 1
#endif
#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)  // mingw does not realign the stack for AVX
#include <immintrin.h>
#define VORNIC_HAS_WIDE_KERNELS 1
#endif

namespace vornic {

namespace {

std::size_t CountLineBreaksScalar(const char16_t* units, std::size_t size) {
  std::size_t lineBreaks = 0;
  for (std::size_t i = 0; i < size; ++i) {
    lineBreaks += static_cast<std::size_t>((units[i] == u'\r') | (units[i] == u'\n'));
  }
  return lineBreaks;
}

#if defined(VORNIC_HAS_WIDE_KERNELS)
// The same as the SSE2 path below, twice as wide, for processors that have it.
__attribute__((target("avx2"))) std::size_t CountLineBreaksAvx2(const char16_t* units, std::size_t size) {
  constexpr std::size_t kUnitsPerStep = 64;
  constexpr std::size_t kStepsPerFold = 8192;
  const __m256i carriageReturn = _mm256_set1_epi16(u'\r');
  const __m256i lineFeed = _mm256_set1_epi16(u'\n');
  const auto matches = [&](const char16_t* at) __attribute__((target("avx2"))) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    return _mm256_or_si256(_mm256_cmpeq_epi16(v, carriageReturn), _mm256_cmpeq_epi16(v, lineFeed));
  };
  std::size_t lineBreaks = 0;
  std::size_t i = 0;
  while (size - i >= kUnitsPerStep) {
    __m256i lanesA = _mm256_setzero_si256();
    __m256i lanesB = _mm256_setzero_si256();
    for (std::size_t step = 0; step < kStepsPerFold && size - i >= kUnitsPerStep; ++step, i += kUnitsPerStep) {
      lanesA = _mm256_sub_epi16(lanesA, _mm256_add_epi16(matches(units + i), matches(units + i + 16)));
      lanesB = _mm256_sub_epi16(lanesB, _mm256_add_epi16(matches(units + i + 32), matches(units + i + 48)));
    }
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i sums = _mm256_add_epi32(_mm256_madd_epi16(lanesA, ones), _mm256_madd_epi16(lanesB, ones));
    alignas(32) std::int32_t parts[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(parts), sums);
    for (const std::int32_t part : parts) lineBreaks += static_cast<std::size_t>(part);
  }
  return lineBreaks + CountLineBreaksScalar(units + i, size - i);
}
#endif

#if defined(VORNIC_HAS_WIDE_KERNELS)
// Mask registers let one masked add count both kinds of line break.
__attribute__((target("avx512f,avx512bw"))) std::size_t CountLineBreaksAvx512(const char16_t* units, std::size_t size) {
  constexpr std::size_t kUnitsPerStep = 64;
  constexpr std::size_t kStepsPerFold = 16384;
  const __m512i carriageReturn = _mm512_set1_epi16(u'\r');
  const __m512i lineFeed = _mm512_set1_epi16(u'\n');
  const __m512i ones = _mm512_set1_epi16(1);
  std::size_t lineBreaks = 0;
  std::size_t i = 0;
  while (size - i >= kUnitsPerStep) {
    __m512i lanesA = _mm512_setzero_si512();
    __m512i lanesB = _mm512_setzero_si512();
    for (std::size_t step = 0; step < kStepsPerFold && size - i >= kUnitsPerStep; ++step, i += kUnitsPerStep) {
      const __m512i a = _mm512_loadu_si512(units + i);
      const __m512i b = _mm512_loadu_si512(units + i + 32);
      lanesA = _mm512_mask_add_epi16(
          lanesA, _mm512_cmpeq_epi16_mask(a, carriageReturn) | _mm512_cmpeq_epi16_mask(a, lineFeed), lanesA, ones);
      lanesB = _mm512_mask_add_epi16(
          lanesB, _mm512_cmpeq_epi16_mask(b, carriageReturn) | _mm512_cmpeq_epi16_mask(b, lineFeed), lanesB, ones);
    }
    const __m512i sums = _mm512_add_epi32(_mm512_madd_epi16(lanesA, ones), _mm512_madd_epi16(lanesB, ones));
    alignas(64) std::int32_t parts[16];
    _mm512_store_si512(parts, sums);
    for (const std::int32_t part : parts) lineBreaks += static_cast<std::size_t>(part);
  }
  return lineBreaks + CountLineBreaksScalar(units + i, size - i);
}
#endif

#if defined(VORNIC_HAS_SSE2_KERNEL)
// Sixteen-bit lanes count matches (a match is -1, subtracted); they are
// folded into 32 bits before any lane could reach 32767.
std::size_t CountLineBreaksSse2(const char16_t* units, std::size_t size) {
  constexpr std::size_t kUnitsPerStep = 32;
  constexpr std::size_t kStepsPerFold = 8192;
  const __m128i carriageReturn = _mm_set1_epi16(u'\r');
  const __m128i lineFeed = _mm_set1_epi16(u'\n');
  const auto matches = [&](const char16_t* at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return _mm_or_si128(_mm_cmpeq_epi16(v, carriageReturn), _mm_cmpeq_epi16(v, lineFeed));
  };
  std::size_t lineBreaks = 0;
  std::size_t i = 0;
  while (size - i >= kUnitsPerStep) {
    __m128i lanesA = _mm_setzero_si128();
    __m128i lanesB = _mm_setzero_si128();
    for (std::size_t step = 0; step < kStepsPerFold && size - i >= kUnitsPerStep; ++step, i += kUnitsPerStep) {
      lanesA = _mm_sub_epi16(lanesA, _mm_add_epi16(matches(units + i), matches(units + i + 8)));
      lanesB = _mm_sub_epi16(lanesB, _mm_add_epi16(matches(units + i + 16), matches(units + i + 24)));
    }
    const __m128i ones = _mm_set1_epi16(1);
    const __m128i sums = _mm_add_epi32(_mm_madd_epi16(lanesA, ones), _mm_madd_epi16(lanesB, ones));
    alignas(16) std::int32_t parts[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(parts), sums);
    lineBreaks += static_cast<std::size_t>(parts[0]) + static_cast<std::size_t>(parts[1]) +
                  static_cast<std::size_t>(parts[2]) + static_cast<std::size_t>(parts[3]);
  }
  return lineBreaks + CountLineBreaksScalar(units + i, size - i);
}
#endif

}  // namespace

std::vector<LineBreakKernel> AvailableLineBreakKernels() {
  std::vector<LineBreakKernel> kernels{LineBreakKernel::Scalar};
#if defined(VORNIC_HAS_SSE2_KERNEL)
  kernels.push_back(LineBreakKernel::Sse2);
#endif
#if defined(VORNIC_HAS_WIDE_KERNELS)
  if (__builtin_cpu_supports("avx2") != 0) kernels.push_back(LineBreakKernel::Avx2);
  if (__builtin_cpu_supports("avx512bw") != 0) kernels.push_back(LineBreakKernel::Avx512);
#endif
  return kernels;
}

std::size_t CountLineBreaks(LineBreakKernel kernel, const char16_t* units, std::size_t size) {
  switch (kernel) {
#if defined(VORNIC_HAS_WIDE_KERNELS)
    case LineBreakKernel::Avx512:
      return CountLineBreaksAvx512(units, size);
    case LineBreakKernel::Avx2:
      return CountLineBreaksAvx2(units, size);
#endif
#if defined(VORNIC_HAS_SSE2_KERNEL)
    case LineBreakKernel::Sse2:
      return CountLineBreaksSse2(units, size);
#endif
    default:
      return CountLineBreaksScalar(units, size);
  }
}

std::size_t CountLineBreaks(const char16_t* units, std::size_t size) {
  static const LineBreakKernel fastest = AvailableLineBreakKernels().back();
  return CountLineBreaks(fastest, units, size);
}

}  // namespace vornic

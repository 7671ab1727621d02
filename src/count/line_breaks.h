// Counting carriage returns and line feeds is the whole cost of a count, so
// it has vector kernels, picked once by what the processor offers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornic {

enum class LineBreakKernel : std::uint8_t { Scalar, Sse2, Avx2, Avx512 };

// Slowest first; the last is the one CountLineBreaks uses.
std::vector<LineBreakKernel> AvailableLineBreakKernels();

std::size_t CountLineBreaks(LineBreakKernel kernel, const char16_t* units, std::size_t size);
std::size_t CountLineBreaks(const char16_t* units, std::size_t size);

}  // namespace vornic

#pragma once

#include <cstdint>

namespace vornic {

// Never stored: it is the check mark of mnuJap (or, equally, of mnuEn).
enum class UiLanguage : std::uint8_t { Japanese, English };

}  // namespace vornic

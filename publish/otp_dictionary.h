#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quillery {

inline constexpr std::size_t kOtpDictionarySize = 2048;

extern const std::array<std::string_view, kOtpDictionarySize> kOtpDictionary;

} // namespace quillery

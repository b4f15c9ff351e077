#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillery {

// One-time passwords of RFC 2289 (S/KEY), as a server asks for them in the
// text of its reply to USER: "otp-md5 499 ke1234".
enum class OtpHash { Md4, Md5, Sha1 };

struct OtpChallenge {
    OtpHash hash = OtpHash::Md5;
    unsigned sequence = 0;
    std::string seed;
};

using OtpKey = std::array<std::uint8_t, 8>;

// Finds "otp-" followed by md4, md5 or sha1, a sequence number and a seed.
// Sequences above kMaxOtpSequence are not taken for a challenge: each step is
// a hash, and a hostile server must not make the login compute for hours.
inline constexpr unsigned kMaxOtpSequence = 9999;
std::optional<OtpChallenge> FindOtpChallenge(std::string_view replyText);

// The 64-bit key after `sequence` further hash steps over the folded hash of
// the lower-cased seed followed by the pass phrase.
OtpKey ComputeOtpKey(OtpHash hash, std::string_view seed, std::string_view passPhrase,
                     unsigned sequence);

// The key as six dictionary words separated by blanks, the last two bits of
// the sixth word being the key's checksum.
std::string OtpSixWords(const OtpKey& key);

std::string OneTimePassword(const OtpChallenge& challenge, std::string_view passPhrase);

} // namespace quillery

#include "publish/one_time_password.h"

#include "publish/otp_dictionary.h"

#include <cctype>
#include <charconv>
#include <nettle/md4.h>
#include <nettle/md5.h>
#include <nettle/nettle-meta.h>
#include <nettle/sha1.h>
#include <vector>

namespace quillery {

namespace {

const nettle_hash& HashAlgorithm(OtpHash hash) {
    switch (hash) {
    case OtpHash::Md4:
        return nettle_md4;
    case OtpHash::Md5:
        return nettle_md5;
    case OtpHash::Sha1:
        return nettle_sha1;
    }
    return nettle_md5;
}

// Hashes data and folds the digest to 64 bits by exclusive or. For SHA-1 the
// RFC folds the five 32-bit words and stores the two results in the byte
// order of its reference machine (little endian); its test vectors depend on
// that order.
OtpKey FoldedHash(OtpHash hash, const std::uint8_t* data, std::size_t size) {
    const nettle_hash& algorithm = HashAlgorithm(hash);
    std::vector<std::uint8_t> context(algorithm.context_size);
    std::array<std::uint8_t, SHA1_DIGEST_SIZE> digest{};
    algorithm.init(context.data());
    algorithm.update(context.data(), size, data);
    algorithm.digest(context.data(), algorithm.digest_size, digest.data());

    OtpKey key{};
    if (hash == OtpHash::Sha1) {
        for (std::size_t word = 0; word < 2; ++word) {
            for (std::size_t byte = 0; byte < 4; ++byte) {
                std::uint8_t folded = digest[word * 4 + byte] ^ digest[word * 4 + byte + 8];
                if (word == 0) {
                    folded ^= digest[byte + 16];
                }
                key[word * 4 + 3 - byte] = folded;
            }
        }
    } else {
        for (std::size_t i = 0; i < key.size(); ++i) {
            key[i] = digest[i] ^ digest[i + 8];
        }
    }
    return key;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view NextToken(std::string_view text, std::size_t& position) {
    while (position < text.size() && IsBlank(text[position])) {
        ++position;
    }
    const std::size_t start = position;
    while (position < text.size() && !IsBlank(text[position])) {
        ++position;
    }
    return text.substr(start, position - start);
}

std::optional<OtpChallenge> ChallengeAt(std::string_view text, std::size_t position) {
    static constexpr std::pair<std::string_view, OtpHash> kHashes[] = {
        {"otp-md4", OtpHash::Md4}, {"otp-md5", OtpHash::Md5}, {"otp-sha1", OtpHash::Sha1}};
    const std::string_view name = NextToken(text, position);
    OtpChallenge challenge;
    bool known = false;
    for (const auto& [hashName, hash] : kHashes) {
        if (name == hashName) {
            challenge.hash = hash;
            known = true;
        }
    }
    if (!known) {
        return std::nullopt;
    }
    const std::string_view sequence = NextToken(text, position);
    const auto [end, error] =
        std::from_chars(sequence.data(), sequence.data() + sequence.size(), challenge.sequence);
    if (sequence.empty() || error != std::errc() || end != sequence.data() + sequence.size() ||
        challenge.sequence > kMaxOtpSequence) {
        return std::nullopt;
    }
    const std::string_view seed = NextToken(text, position);
    if (seed.empty()) {
        return std::nullopt;
    }
    for (char c : seed) {
        challenge.seed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return challenge;
}

} // namespace

std::optional<OtpChallenge> FindOtpChallenge(std::string_view replyText) {
    for (std::size_t at = replyText.find("otp-"); at != std::string_view::npos;
         at = replyText.find("otp-", at + 1)) {
        if (auto challenge = ChallengeAt(replyText, at)) {
            return challenge;
        }
    }
    return std::nullopt;
}

OtpKey ComputeOtpKey(OtpHash hash, std::string_view seed, std::string_view passPhrase,
                     unsigned sequence) {
    std::string start;
    for (char c : seed) {
        start += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    start += passPhrase;
    OtpKey key =
        FoldedHash(hash, reinterpret_cast<const std::uint8_t*>(start.data()), start.size());
    for (unsigned step = 0; step < sequence; ++step) {
        key = FoldedHash(hash, key.data(), key.size());
    }
    return key;
}

std::string OtpSixWords(const OtpKey& key) {
    std::uint64_t bits = 0;
    unsigned checksum = 0;
    for (std::uint8_t byte : key) {
        bits = (bits << 8) | byte;
        for (int pair = 0; pair < 8; pair += 2) {
            checksum += (byte >> pair) & 3U;
        }
    }
    // 64 key bits and 2 checksum bits make six 11-bit word indices.
    std::string words;
    for (int word = 0; word < 6; ++word) {
        const int shift = 53 - 11 * word;
        std::uint64_t index = 0;
        if (shift >= 0) {
            index = (bits >> shift) & 0x7FF;
        } else {
            index = ((bits << 2) | (checksum & 3U)) & 0x7FF;
        }
        if (!words.empty()) {
            words += ' ';
        }
        words += kOtpDictionary[index];
    }
    return words;
}

std::string OneTimePassword(const OtpChallenge& challenge, std::string_view passPhrase) {
    return OtpSixWords(
        ComputeOtpKey(challenge.hash, challenge.seed, passPhrase, challenge.sequence));
}

} // namespace quillery

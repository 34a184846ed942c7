#pragma once
// The login proof: HMAC-SHA256 keyed by the password over the recorder's
// nonce followed by the user name. The password itself never travels.

#include <cstdint>
#include <string>
#include <vector>

namespace tvwire {

class LoginProof
{
public:
    static std::vector<std::uint8_t> compute(const std::string &password,
                                             const std::vector<std::uint8_t> &nonce,
                                             const std::string &user);
    // Compares in time independent of where the first difference is.
    static bool matches(const std::vector<std::uint8_t> &expected,
                        const std::vector<std::uint8_t> &given);
    // A fresh random nonce for one login attempt.
    static std::vector<std::uint8_t> makeNonce();
};

} // namespace tvwire

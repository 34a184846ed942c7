#include "LoginProof.h"

#include "WireFormat.h"

#include <QByteArray>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace tvwire {

std::vector<std::uint8_t> LoginProof::compute(const std::string &password,
                                              const std::vector<std::uint8_t> &nonce,
                                              const std::string &user)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256,
                                   QByteArray(password.data(), int(password.size())));
    mac.addData(reinterpret_cast<const char *>(nonce.data()), int(nonce.size()));
    mac.addData(user.data(), int(user.size()));
    const QByteArray result = mac.result();
    return std::vector<std::uint8_t>(result.begin(), result.end());
}

bool LoginProof::matches(const std::vector<std::uint8_t> &expected,
                         const std::vector<std::uint8_t> &given)
{
    if (expected.size() != given.size())
        return false;
    std::uint8_t diff = 0;
    for (std::size_t i = 0; i < expected.size(); ++i)
        diff |= std::uint8_t(expected[i] ^ given[i]);
    return diff == 0;
}

std::vector<std::uint8_t> LoginProof::makeNonce()
{
    std::vector<std::uint8_t> nonce(kNonceSize);
    QRandomGenerator *rng = QRandomGenerator::system();
    for (auto &b : nonce)
        b = std::uint8_t(rng->bounded(256));
    return nonce;
}

} // namespace tvwire

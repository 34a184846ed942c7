// The frame decoder and the body codecs against truncated, oversized and
// corrupted input: every refusal is an error, never an over-read.
#include "BodyReader.h"
#include "LoginProof.h"
#include "Messages.h"
#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"
#include "WireFormat.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace tvwire;

namespace {

std::vector<std::uint8_t> sampleFrame(std::uint16_t type = MsgJsonCommand)
{
    JsonCommand c{"OPRemoteCtrl", 4000, -1, {'{', '}', '\n'}};
    return ProtocolEncoder::encode(type, 0x12345678, 42, encodeBody(c));
}

ProtocolDecoder::Result decode(const std::vector<std::uint8_t> &bytes, Frame &f, std::size_t &used)
{
    std::string error;
    const auto r = ProtocolDecoder::decode(bytes.data(), bytes.size(), f, used, error);
    if (r == ProtocolDecoder::Malformed && error.empty())
        qFatal("a refusal without a reason");
    return r;
}

} // namespace

class TestProtocolDecoder : public QObject
{
    Q_OBJECT

private slots:
    void roundTripAndBackToBack()
    {
        std::vector<std::uint8_t> bytes = sampleFrame();
        const std::size_t one = bytes.size();
        const auto media = encodeBody(Media{7, MediaVideoKey, {0, 0, 0, 1, 0x65}});
        const auto second = ProtocolEncoder::encode(MsgMedia, 9, 0, media);
        bytes.insert(bytes.end(), second.begin(), second.end());
        Frame f;
        std::size_t used = 0;
        QCOMPARE(decode(bytes, f, used), ProtocolDecoder::Complete);
        QCOMPARE(used, one);
        QCOMPARE(f.type, std::uint16_t(MsgJsonCommand));
        QCOMPARE(f.session, 0x12345678u);
        QCOMPARE(f.sequence, 42u);
        JsonCommand c;
        QVERIFY(decodeBody(f.body, c));
        QCOMPARE(c.name, std::string("OPRemoteCtrl"));
        QCOMPARE(c.json, (std::vector<std::uint8_t>{'{', '}', '\n'}));
        std::vector<std::uint8_t> rest(bytes.begin() + long(one), bytes.end());
        QCOMPARE(decode(rest, f, used), ProtocolDecoder::Complete);
        Media m;
        QVERIFY(decodeBody(f.body, m));
        QCOMPARE(m.streamId, 7u);
        QCOMPARE(m.data.size(), std::size_t(5));
    }

    // Every proper prefix of a valid frame is NeedMore, and consumes nothing.
    void truncatedFramesNeedMore()
    {
        const std::vector<std::uint8_t> bytes = sampleFrame();
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + long(n));
            Frame f;
            std::size_t used = 99;
            QCOMPARE(decode(prefix, f, used), ProtocolDecoder::NeedMore);
            QCOMPARE(used, std::size_t(0));
        }
    }

    void corruptedHeadersAreRefused_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::newRow("magic") << 0 << int('X');
        QTest::newRow("magic last byte") << 3 << 0;
        QTest::newRow("version") << 4 << 2;
        QTest::newRow("flags") << 5 << 1;
        QTest::newRow("type zero") << 6 << 0;
        QTest::newRow("type beyond") << 6 << int(kLastMessageType + 1);
        QTest::newRow("type high byte") << 7 << 1;
    }

    void corruptedHeadersAreRefused()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        std::vector<std::uint8_t> bytes = sampleFrame();
        bytes[std::size_t(offset)] = std::uint8_t(value);
        Frame f;
        std::size_t used = 0;
        QCOMPARE(decode(bytes, f, used), ProtocolDecoder::Malformed);
        // refused as soon as the bad field is complete, without waiting for more
        const int fieldEnd = offset >= 6 ? 8 : offset + 1;
        bytes.resize(std::size_t(fieldEnd));
        QCOMPARE(decode(bytes, f, used), ProtocolDecoder::Malformed);
    }

    void oversizedBodiesAreRefusedFromTheHeader()
    {
        std::uint8_t header[kHeaderSize];
        ProtocolEncoder::writeHeader(MsgConfigReply, 1, 1, kMaxControlBody + 1, header);
        std::vector<std::uint8_t> bytes(header, header + kHeaderSize);
        Frame f;
        std::size_t used = 0;
        QCOMPARE(decode(bytes, f, used), ProtocolDecoder::Malformed); // before any body byte
        ProtocolEncoder::writeHeader(MsgMedia, 1, 1, kMaxControlBody + 1, header);
        bytes.assign(header, header + kHeaderSize);
        QCOMPARE(decode(bytes, f, used), ProtocolDecoder::NeedMore); // media may be larger
        ProtocolEncoder::writeHeader(MsgMedia, 1, 1, 0xffffffffu, header);
        bytes.assign(header, header + kHeaderSize);
        QCOMPARE(decode(bytes, f, used), ProtocolDecoder::Malformed);
        Frame big;
        big.type = MsgJsonCommand;
        big.body.assign(kMaxControlBody + 1, 0);
        std::vector<std::uint8_t> out;
        QVERIFY(!ProtocolEncoder::encode(big, out));
        QVERIFY(out.empty());
    }

    // Bodies whose fields lie about their lengths, or are short or long.
    void malformedBodiesAreRefused()
    {
        JsonCommand c;
        std::vector<std::uint8_t> body = encodeBody(JsonCommand{"OPRemoteCtrl", 1, 2, {'x'}});
        QVERIFY(decodeBody(body, c));
        for (std::size_t n = 0; n < body.size(); ++n) {
            const std::vector<std::uint8_t> cut(body.begin(), body.begin() + long(n));
            QVERIFY(!decodeBody(cut, c));
        }
        std::vector<std::uint8_t> longer = body;
        longer.push_back(0);
        QVERIFY(!decodeBody(longer, c));
        std::vector<std::uint8_t> lying = body;
        lying[0] = 0xff; // name length far past the end
        lying[3] = 0x7f;
        QVERIFY(!decodeBody(lying, c));

        Challenge shortNonce{std::vector<std::uint8_t>(kNonceSize - 1, 1)};
        Challenge parsed;
        QVERIFY(!decodeBody(encodeBody(shortNonce), parsed));
        Media badKind{1, 9, {1}};
        Media m;
        QVERIFY(!decodeBody(encodeBody(badKind), m));
        LoginRequest badProof{"admin", {1, 2, 3}, 0, 0, 0};
        LoginRequest r;
        QVERIFY(!decodeBody(encodeBody(badProof), r));
    }

    // Random bytes and random damage to valid frames: the decoder must
    // answer each one without reading past the buffer (the sanitiser builds
    // check that part) and never report more than it was given.
    void randomInputIsAnsweredSafely()
    {
        QRandomGenerator rng(20261208);
        const std::vector<std::uint8_t> valid = sampleFrame();
        for (int round = 0; round < 20000; ++round) {
            std::vector<std::uint8_t> bytes;
            if (round % 2) {
                bytes = valid;
                for (int k = 0; k < 3; ++k)
                    bytes[rng.bounded(int(bytes.size()))] = std::uint8_t(rng.bounded(256));
                bytes.resize(rng.bounded(int(bytes.size()) + 1));
            } else {
                bytes.resize(rng.bounded(64));
                for (auto &b : bytes)
                    b = std::uint8_t(rng.bounded(256));
            }
            Frame f;
            std::size_t used = 0;
            const auto r = decode(bytes, f, used);
            if (r == ProtocolDecoder::Complete) {
                QVERIFY(used <= bytes.size());
                QCOMPARE(used, kHeaderSize + f.body.size());
                JsonCommand c;
                decodeBody(f.body, c); // must not crash either way
            } else {
                QCOMPARE(used, std::size_t(0));
            }
        }
    }

    void loginProofDependsOnEverything()
    {
        const std::vector<std::uint8_t> nonce(kNonceSize, 7);
        const auto proof = LoginProof::compute("pw", nonce, "admin");
        QCOMPARE(proof.size(), kProofSize);
        QVERIFY(LoginProof::matches(proof, LoginProof::compute("pw", nonce, "admin")));
        QVERIFY(!LoginProof::matches(proof, LoginProof::compute("pW", nonce, "admin")));
        QVERIFY(!LoginProof::matches(proof, LoginProof::compute("pw", nonce, "admin2")));
        std::vector<std::uint8_t> other = nonce;
        other[31] = 8;
        QVERIFY(!LoginProof::matches(proof, LoginProof::compute("pw", other, "admin")));
        QVERIFY(LoginProof::makeNonce() != LoginProof::makeNonce());
        // RFC 4231 test case 2: the HMAC is the standard one
        const auto rfc = LoginProof::compute("Jefe", {}, "what do ya want for nothing?");
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(rfc.data()), int(rfc.size())).toHex(),
                 QByteArray("5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"));
    }
};

QTEST_GUILESS_MAIN(TestProtocolDecoder)
#include "tst_protocol_decoder.moc"

// One-time passwords against the test vectors printed in RFC 2289,
// Appendix C, and the challenges servers put into their replies.
#include "publish/one_time_password.h"

#include <QTest>

using quillery::OtpHash;
Q_DECLARE_METATYPE(OtpHash)

namespace {

QString KeyHex(const quillery::OtpKey& key) {
    QString hex;
    for (std::size_t i = 0; i < key.size(); ++i) {
        hex += QStringLiteral("%1").arg(key[i], 2, 16, QLatin1Char('0')).toUpper();
        if (i % 2 == 1 && i + 1 < key.size()) {
            hex += QLatin1Char(' ');
        }
    }
    return hex;
}

} // namespace

class TestOneTimePassword : public QObject {
    Q_OBJECT

private slots:
    void rfcVectors_data();
    void rfcVectors();
    void challenge_data();
    void challenge();
};

void TestOneTimePassword::rfcVectors_data() {
    QTest::addColumn<OtpHash>("hash");
    QTest::addColumn<QString>("passPhrase");
    QTest::addColumn<QString>("seed");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("words");

    struct Vector {
        OtpHash hash;
        const char* passPhrase;
        const char* seed;
        int count;
        const char* hex;
        const char* words;
    };
    static const Vector kVectors[] = {
        {OtpHash::Md4, "This is a test.", "TeSt", 0, "D185 4218 EBBB 0B51",
         "ROME MUG FRED SCAN LIVE LACE"},
        {OtpHash::Md4, "This is a test.", "TeSt", 1, "6347 3EF0 1CD0 B444",
         "CARD SAD MINI RYE COL KIN"},
        {OtpHash::Md4, "This is a test.", "TeSt", 99, "C5E6 1277 6E6C 237A",
         "NOTE OUT IBIS SINK NAVE MODE"},
        {OtpHash::Md4, "AbCdEfGhIjK", "alpha1", 0, "5007 6F47 EB1A DE4E",
         "AWAY SEN ROOK SALT LICE MAP"},
        {OtpHash::Md4, "AbCdEfGhIjK", "alpha1", 1, "65D2 0D19 49B5 F7AB",
         "CHEW GRIM WU HANG BUCK SAID"},
        {OtpHash::Md4, "AbCdEfGhIjK", "alpha1", 99, "D150 C82C CE6F 62D1",
         "ROIL FREE COG HUNK WAIT COCA"},
        {OtpHash::Md4, "OTP's are good", "correct", 0, "849C 79D4 F6F5 5388",
         "FOOL STEM DONE TOOL BECK NILE"},
        {OtpHash::Md4, "OTP's are good", "correct", 1, "8C09 92FB 2508 47B1",
         "GIST AMOS MOOT AIDS FOOD SEEM"},
        {OtpHash::Md4, "OTP's are good", "correct", 99, "3F3B F4B4 145F D74B",
         "TAG SLOW NOV MIN WOOL KENO"},
        {OtpHash::Md5, "This is a test.", "TeSt", 0, "9E87 6134 D904 99DD",
         "INCH SEA ANNE LONG AHEM TOUR"},
        {OtpHash::Md5, "This is a test.", "TeSt", 1, "7965 E054 36F5 029F",
         "EASE OIL FUM CURE AWRY AVIS"},
        {OtpHash::Md5, "This is a test.", "TeSt", 99, "50FE 1962 C496 5880",
         "BAIL TUFT BITS GANG CHEF THY"},
        {OtpHash::Md5, "AbCdEfGhIjK", "alpha1", 0, "8706 6DD9 644B F206",
         "FULL PEW DOWN ONCE MORT ARC"},
        {OtpHash::Md5, "AbCdEfGhIjK", "alpha1", 1, "7CD3 4C10 40AD D14B",
         "FACT HOOF AT FIST SITE KENT"},
        {OtpHash::Md5, "AbCdEfGhIjK", "alpha1", 99, "5AA3 7A81 F212 146C",
         "BODE HOP JAKE STOW JUT RAP"},
        {OtpHash::Md5, "OTP's are good", "correct", 0, "F205 7539 43DE 4CF9",
         "ULAN NEW ARMY FUSE SUIT EYED"},
        {OtpHash::Md5, "OTP's are good", "correct", 1, "DDCD AC95 6F23 4937",
         "SKIM CULT LOB SLAM POE HOWL"},
        {OtpHash::Md5, "OTP's are good", "correct", 99, "B203 E28F A525 BE47",
         "LONG IVY JULY AJAR BOND LEE"},
        {OtpHash::Sha1, "This is a test.", "TeSt", 0, "BB9E 6AE1 979D 8FF4",
         "MILT VARY MAST OK SEES WENT"},
        {OtpHash::Sha1, "This is a test.", "TeSt", 1, "63D9 3663 9734 385B",
         "CART OTTO HIVE ODE VAT NUT"},
        {OtpHash::Sha1, "This is a test.", "TeSt", 99, "87FE C776 8B73 CCF9",
         "GAFF WAIT SKID GIG SKY EYED"},
        {OtpHash::Sha1, "AbCdEfGhIjK", "alpha1", 0, "AD85 F658 EBE3 83C9",
         "LEST OR HEEL SCOT ROB SUIT"},
        {OtpHash::Sha1, "AbCdEfGhIjK", "alpha1", 1, "D07C E229 B5CF 119B",
         "RITE TAKE GELD COST TUNE RECK"},
        {OtpHash::Sha1, "AbCdEfGhIjK", "alpha1", 99, "27BC 7103 5AAF 3DC6",
         "MAY STAR TIN LYON VEDA STAN"},
        {OtpHash::Sha1, "OTP's are good", "correct", 0, "D51F 3E99 BF8E 6F0B",
         "RUST WELT KICK FELL TAIL FRAU"},
        {OtpHash::Sha1, "OTP's are good", "correct", 1, "82AE B52D 9437 74E4",
         "FLIT DOSE ALSO MEW DRUM DEFY"},
        {OtpHash::Sha1, "OTP's are good", "correct", 99, "4F29 6A74 FE15 67EC",
         "AURA ALOE HURL WING BERG WAIT"},
    };
    static const char* const kHashNames[] = {"md4", "md5", "sha1"};
    for (const Vector& v : kVectors) {
        QTest::addRow("%s %s %d", kHashNames[int(v.hash)], v.seed, v.count)
            << v.hash << QString::fromLatin1(v.passPhrase) << QString::fromLatin1(v.seed) << v.count
            << QString::fromLatin1(v.hex) << QString::fromLatin1(v.words);
    }
}

void TestOneTimePassword::rfcVectors() {
    QFETCH(OtpHash, hash);
    QFETCH(QString, passPhrase);
    QFETCH(QString, seed);
    QFETCH(int, count);
    QFETCH(QString, hex);
    QFETCH(QString, words);

    const quillery::OtpKey key = quillery::ComputeOtpKey(hash, seed.toStdString(),
                                                         passPhrase.toStdString(), unsigned(count));
    QCOMPARE(KeyHex(key), hex);
    QCOMPARE(QString::fromStdString(quillery::OtpSixWords(key)), words);
}

void TestOneTimePassword::challenge_data() {
    QTest::addColumn<QString>("replyText");
    QTest::addColumn<bool>("found");
    QTest::addColumn<OtpHash>("hash");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QString>("seed");

    QTest::addRow("md5 in a sentence") << "Response to otp-md5 487 dog2 required for skey." << true
                                       << OtpHash::Md5 << 487 << "dog2";
    QTest::addRow("sha1, seed lower-cased")
        << "otp-sha1 99 TeSt ext" << true << OtpHash::Sha1 << 99 << "test";
    QTest::addRow("md4") << "331 otp-md4 0 alpha1" << true << OtpHash::Md4 << 0 << "alpha1";
    QTest::addRow("second mention is the challenge")
        << "Use otp-md7 or otp-md5 12 seed" << true << OtpHash::Md5 << 12 << "seed";
    QTest::addRow("unknown hash") << "otp-md6 5 seed" << false << OtpHash::Md5 << 0 << "";
    QTest::addRow("no seed") << "otp-md5 5" << false << OtpHash::Md5 << 0 << "";
    QTest::addRow("sequence not a number") << "otp-md5 x5 seed" << false << OtpHash::Md5 << 0 << "";
    QTest::addRow("sequence too large")
        << "otp-md5 4000000000 seed" << false << OtpHash::Md5 << 0 << "";
    QTest::addRow("plain password request")
        << "Password required for bob." << false << OtpHash::Md5 << 0 << "";
}

void TestOneTimePassword::challenge() {
    QFETCH(QString, replyText);
    QFETCH(bool, found);
    QFETCH(OtpHash, hash);
    QFETCH(int, sequence);
    QFETCH(QString, seed);

    const auto challenge = quillery::FindOtpChallenge(replyText.toStdString());
    QCOMPARE(challenge.has_value(), found);
    if (found) {
        QCOMPARE(challenge->hash, hash);
        QCOMPARE(int(challenge->sequence), sequence);
        QCOMPARE(QString::fromStdString(challenge->seed), seed);
    }
}

QTEST_GUILESS_MAIN(TestOneTimePassword)
#include "tst_one_time_password.moc"

// Colour attribute text, colour identifiers and colour values, both ways,
// and the whole numbers the dialogs accept.
#include "store/error.h"
#include "tables/colour_conversion.h"
#include "tables/whole_number.h"

#include <QTest>
#include <functional>

using namespace quillery;

namespace {

constexpr TColor Value(std::uint32_t bits) {
    return static_cast<TColor>(bits);
}

TColor Named(const char* name) {
    return ColorNameToColor(name);
}

// The conversion error, or an empty text when there was none.
QString FailureOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const Error& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class TestColourConversion final : public QObject {
    Q_OBJECT

private slots:
    void colorToHTML_data();
    void colorToHTML();
    void reading_data();
    void reading();
    void readingFails_data();
    void readingFails();
    void everyIdentifierReadsBackAsItself();
    void colorToColorName_data();
    void colorToColorName();
    void wholeNumbers_data();
    void wholeNumbers();
};

void TestColourConversion::colorToHTML_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("html");
    QTest::addRow("clRed") << Named("clRed") << "FF0000";
    QTest::addRow("custom red 12 green 34 blue 56") << 0x563412 << "123456";
    QTest::addRow("clBtnFace") << Named("clBtnFace") << "buttonface";
    QTest::addRow("clWindow") << Named("clWindow") << "Window";
    QTest::addRow("clNone") << clNone << "";
    QTest::addRow("black keeps six digits") << 0 << "000000";
    QTest::addRow("white") << 0xFFFFFF << "FFFFFF";
    QTest::addRow("small RGB padded") << 0x0000AB << "AB0000";
    QTest::addRow("clGradientActiveCaption") << Named("clGradientActiveCaption") << "activecaption";
    QTest::addRow("clGradientInactiveCaption")
        << Named("clGradientInactiveCaption") << "inactivecaption";
    QTest::addRow("cl3DDkShadow") << Named("cl3DDkShadow") << "threeddarkshadow";
    QTest::addRow("cl3DLight") << Named("cl3DLight") << "threedlightshadow";
    QTest::addRow("clInfoBk") << Named("clInfoBk") << "infobackground";
    QTest::addRow("clBtnShadow") << Named("clBtnShadow") << "buttonshadow";
    QTest::addRow("clHighlight") << Named("clHighlight") << "Highlight";
    QTest::addRow("clActiveBorder") << Named("clActiveBorder") << "ActiveBorder";
    QTest::addRow("clDefault") << clDefault << "Default";
    QTest::addRow("unnamed system colour: no spelling") << Value(0xFF000099) << "";
    QTest::addRow("above RGB, unnamed: no spelling") << 0x01000000 << "";
}

void TestColourConversion::colorToHTML() {
    QFETCH(int, value);
    QFETCH(QString, html);
    QCOMPARE(QString::fromStdString(ColorToHTML(value)), html);
}

// Attribute text, the identifier it becomes and that identifier's value.
void TestColourConversion::reading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("value");
    QTest::addRow("#ff8000") << "#ff8000"
                             << "$0080ff" << 0x000080FF;
    QTest::addRow("#ABCDEF by position") << "#ABCDEF"
                                         << "$EFCDAB" << 0x00EFCDAB;
    QTest::addRow("buttonface") << "buttonface"
                                << "clBtnFace" << Named("clBtnFace");
    QTest::addRow("threedlightshadow") << "threedlightshadow"
                                       << "cl3DLight" << Named("cl3DLight");
    QTest::addRow("window") << "window"
                            << "clwindow" << Named("clWindow");
    QTest::addRow("activecaption") << "activecaption"
                                   << "clactivecaption" << Named("clActiveCaption");
    QTest::addRow("inactivecaption") << "inactivecaption"
                                     << "clinactivecaption" << Named("clInactiveCaption");
    QTest::addRow("Highlight as written") << "Highlight"
                                          << "clHighlight" << Named("clHighlight");
    QTest::addRow("red") << "red"
                         << "clred" << Named("clRed");
    QTest::addRow("empty") << ""
                           << "clNone" << clNone;
    // "#" texts that are not seven characters long: as browsers show them.
    QTest::addRow("#rgb doubles its digits") << "#f80"
                                             << "$0088ff" << 0x0088FF;
    QTest::addRow("# alone is black") << "#"
                                      << "$000000" << 0;
    QTest::addRow("two digits padded") << "#12"
                                       << "$000201" << 0x000201;
    QTest::addRow("#rgb with a letter that is no digit") << "#fgf"
                                                         << "$0f000f" << 0x0F000F;
    QTest::addRow("ten digits cut to two per part") << "#1234567890"
                                                    << "$905612" << 0x905612;
    QTest::addRow("long parts keep their last eight") << "#123456789a123456789a123456789a"
                                                      << "$343434" << 0x343434;
    QTest::addRow("leading zeros dropped together") << "#000f000a0001"
                                                    << "$010a0f" << 0x010A0F;
    QTest::addRow("a letter outside ASCII counts once") << "#ж"
                                                        << "$000000" << 0;
    QTest::addRow("eight characters") << "#ff80001"
                                      << "$1000ff" << 0x1000FF;
}

void TestColourConversion::reading() {
    QFETCH(QString, text);
    QFETCH(QString, identifier);
    QFETCH(int, value);
    const std::string name = HTMLToColorName(text.toStdString());
    QCOMPARE(QString::fromStdString(name), identifier);
    QCOMPARE(ColorNameToColor(name), value);
}

// Attribute text that names no colour, and the message that says so.
void TestColourConversion::readingFails_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addRow("capital letter") << "Buttonface"
                                    << "'clButtonface' is not a valid integer value";
    QTest::addRow("colour outside the table") << "orange"
                                              << "'clorange' is not a valid integer value";
    QTest::addRow("seven characters, not all digits") << "#12345G"
                                                      << "'$5G3412' is not a valid integer value";
    QTest::addRow("seven characters, one outside ASCII")
        << "#12345ж"
        << "'$5ж3412' is not a valid integer value";
    QTest::addRow("blank before #") << " #ff0000"
                                    << "'cl #ff0000' is not a valid integer value";
}

void TestColourConversion::readingFails() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(FailureOf([&] { ColorNameToColor(HTMLToColorName(text.toStdString())); }), message);
}

// What a colour box writes comes back as the same colour when the dialog is
// filled again (the engine holds an RGB colour as #rrggbb); the two gradient
// captions come back as the plain ones.
void TestColourConversion::everyIdentifierReadsBackAsItself() {
    QCOMPARE(ColorIdents().size(), std::size_t(52));
    for (const TColorIdent& ident : ColorIdents()) {
        const bool rgb = ident.Value >= 0 && ident.Value <= 0xFFFFFF;
        const std::string html = (rgb ? "#" : "") + ColorToHTML(ident.Value);
        const TColor back = ColorNameToColor(HTMLToColorName(html));
        const std::string name = ident.Name;
        const TColor expected = name == "clGradientActiveCaption"     ? Named("clActiveCaption")
                                : name == "clGradientInactiveCaption" ? Named("clInactiveCaption")
                                                                      : ident.Value;
        QVERIFY2(back == expected, ident.Name);
        QCOMPARE(ColorNameToColor(ColorToColorName(ident.Value)), ident.Value);
    }
    for (const TColor custom : {0x000001, 0x123456, 0xFEDCBA, 0x00FF80}) {
        const std::string html = ColorToHTML(custom);
        QCOMPARE(ColorNameToColor(HTMLToColorName("#" + html)), custom);
    }
}

void TestColourConversion::colorToColorName_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("name");
    QTest::addRow("named") << 0x0000FF << "clRed";
    QTest::addRow("system") << Value(0xFF000005) << "clWindow";
    QTest::addRow("none") << clNone << "clNone";
    QTest::addRow("unnamed RGB") << 0x123456 << "$00123456";
    QTest::addRow("unnamed negative") << Value(0xFF0000AB) << "$FF0000AB";
}

void TestColourConversion::colorToColorName() {
    QFETCH(int, value);
    QFETCH(QString, name);
    QCOMPARE(QString::fromStdString(ColorToColorName(value)), name);
}

// Text, whether it is a whole number, and its value.
void TestColourConversion::wholeNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::addRow("zero") << "0" << true << 0;
    QTest::addRow("plain") << "600" << true << 600;
    QTest::addRow("negative") << "-5" << true << -5;
    QTest::addRow("plus sign") << "+7" << true << 7;
    QTest::addRow("hexadecimal") << "$1F" << true << 31;
    QTest::addRow("hexadecimal, all 32 bits") << "$FFFFFFFF" << true << -1;
    QTest::addRow("largest") << "2147483647" << true << 2147483647;
    QTest::addRow("smallest") << "-2147483648" << true << int(INT32_MIN);
    QTest::addRow("above 32 bits") << "2147483648" << false << 0;
    QTest::addRow("hexadecimal above 32 bits") << "$100000000" << false << 0;
    QTest::addRow("letters") << "abc" << false << 0;
    QTest::addRow("empty") << "" << false << 0;
    QTest::addRow("sign alone") << "-" << false << 0;
    QTest::addRow("dollar alone") << "$" << false << 0;
    QTest::addRow("fraction") << "1.5" << false << 0;
    QTest::addRow("blank before") << " 5" << false << 0;
    QTest::addRow("unit after") << "50%" << false << 0;
}

void TestColourConversion::wholeNumbers() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<std::int32_t> read = ReadWholeNumber(text.toStdString());
    QCOMPARE(read.has_value(), valid);
    if (valid) {
        QCOMPARE(*read, value);
        QCOMPARE(StrToInt(text.toStdString()), value);
    } else {
        QCOMPARE(FailureOf([&] { StrToInt(text.toStdString()); }),
                 QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

QTEST_GUILESS_MAIN(TestColourConversion)
#include "test_colour_conversion.moc"

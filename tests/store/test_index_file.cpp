// The index file, byte for byte, its tolerant reading, the field
// codec, and the mended faults (atomic writes, bad '&' keeping later nodes,
// the codec never reading past its input).

#include "file_size_limit.h"
#include "store/error.h"
#include "store/index_file.h"
#include "store/site_folder.h"
#include "store/text_codec.h"
#include "tree_shape.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace quillery;
using namespace quillery::test;

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

void WriteRaw(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QByteArray Fixture(const char* name) {
    return ReadAll(QStringLiteral(QUILLERY_TEST_DATA "/store/") + QString::fromLatin1(name));
}

std::string W(const char* utf8) {
    return ToCp1251(QString::fromUtf8(utf8));
}

QString SitePath(const QTemporaryDir& dir) {
    return dir.path() + u'/';
}

void BuildWorkedExample(TContentsTree& tree) {
    const QDateTime feb1(QDate(2009, 2, 1), QTime(10, 30));
    const QDateTime feb3(QDate(2009, 2, 3), QTime(23, 59));
    TTreeNode* about =
        tree.AddChild(nullptr, W("О нас"),
                      {"0a1b2c3d-0000-4000-8000-00aa00bb00cc.htm", "logo.jpg", W("Кто мы"), feb1});
    tree.AddChild(about, W("История"), {"0a1b2c3d-0000-4000-8000-00aa00bb00cd.htm", "", "", feb1});
    tree.AddChild(nullptr, W("Цены & условия"),
                  {"0a1b2c3d-0000-4000-8000-00aa00bb00ce.htm", "", W("Скидки <10%>"), feb3});
}

std::vector<std::string> Read(const QByteArray& bytes, TContentsTree& tree,
                              const QString& format = kFormat) {
    std::vector<std::string> faults;
    ReadContents(std::string_view(bytes.constData(), std::size_t(bytes.size())), tree, format,
                 QDateTime(QDate(2030, 6, 15), QTime(12, 0)), &faults);
    return faults;
}

QByteArray IndexOf(const TContentsTree& tree, const QString& format = kFormat) {
    return QByteArray::fromStdString(WriteContents(tree, format).Index);
}

QStringList AllEntries(const QString& path) {
    return QDir(path).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestIndexFile : public QObject {
    Q_OBJECT

private slots:
    // ---- the worked example, both ways ------------------------------------------

    void workedExampleWritesByteForByte() {
        QTemporaryDir dir;
        TContentsTree tree;
        BuildWorkedExample(tree);
        SaveContents(tree, SitePath(dir), kFormat);
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("index"))), Fixture("worked_example.index"));
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("index.txt"))),
                 Fixture("worked_example.index.txt"));
        QCOMPARE(AllEntries(dir.path()),
                 QStringList({QStringLiteral("index"), QStringLiteral("index.txt")}));
    }

    void workedExampleReadsBack() {
        QTemporaryDir dir;
        WriteRaw(dir.filePath(QStringLiteral("index")), Fixture("worked_example.index"));
        TContentsTree tree;
        const TLoadResult result = LoadContents(tree, SitePath(dir), kFormat);
        QVERIFY(!result.Created);
        QVERIFY(result.Faults.empty());
        QCOMPARE(tree.NodeCount(), std::size_t(3));
        const TTreeNode* about = tree.Root(0);
        QCOMPARE(about->Text(), W("О нас"));
        QCOMPARE(about->Rec().FileName, std::string("0a1b2c3d-0000-4000-8000-00aa00bb00cc.htm"));
        QCOMPARE(about->Rec().Date, QDateTime(QDate(2009, 2, 1), QTime(0, 0)));
        QCOMPARE(about->Rec().Note, W("Кто мы"));
        QCOMPARE(about->Rec().ThumbName, std::string("logo.jpg"));
        QVERIFY(!about->Expanded());
        const TTreeNode* history = about->Child(0);
        QCOMPARE(history->Text(), W("История"));
        QVERIFY(history->Rec().Note.empty() && history->Rec().ThumbName.empty());
        const TTreeNode* prices = tree.Root(1);
        QCOMPARE(prices->Text(), W("Цены & условия"));
        QCOMPARE(prices->Rec().Note, W("Скидки <10%>"));
        QCOMPARE(prices->Rec().Date.date(), QDate(2009, 2, 3));
        // and out again, identical
        QCOMPARE(IndexOf(tree), Fixture("worked_example.index"));
    }

    void emptyTree() {
        QTemporaryDir dir;
        TContentsTree tree;
        SaveContents(tree, SitePath(dir), kFormat);
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("index"))), QByteArray("index=new Array();"));
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("index.txt"))), QByteArray());
        TContentsTree back;
        QVERIFY(Read("index=new Array();", back).empty());
        QVERIFY(back.IsEmpty());
    }

    void lowerCasesOnlyAsciiOfNamesInIndexOnly() {
        TContentsTree tree;
        tree.AddChild(
            nullptr, "Title",
            {"Page.HTM", W("ФОТО.JPG"), "Note KEEPS Case", QDateTime(QDate(2009, 2, 1), QTime())});
        const TContentsBytes b = WriteContents(tree, kFormat);
        QCOMPARE(QByteArray::fromStdString(b.Index),
                 QByteArray("index=new Array(new Array(\"Title\",\"page.htm\",\"01.02.2009\","
                            "\"Note KEEPS Case\",\"") +
                     QByteArray::fromStdString(W("ФОТО.jpg")) + "\",null));");
        QCOMPARE(QByteArray::fromStdString(b.IndexTxt), QByteArray("Page.HTM\r\n"));
    }

    // ---- shape-breaking texts ------------------------------------------------------

    void shapeBreakingTextsRoundTrip_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addRow("comma") << QByteArray("a, b,,c,");
        QTest::addRow("parentheses") << QByteArray("(x)) ((");
        QTest::addRow("keywords") << QByteArray("new Array( null new null)");
        QTest::addRow("quotation mark") << QByteArray("say \"hi\" \"");
        QTest::addRow("ampersand") << QByteArray("AT&T &amp; &#65; &");
        QTest::addRow("angle brackets") << QByteArray("<b>x</b> >< <");
        QTest::addRow("all at once") << QByteArray("\",\"\",new Array(\"x\",null)),&lt;\"");
        QTest::addRow("cyrillic") << QByteArray::fromStdString(W("Привет, «мир» — ёЁ"));
        QTest::addRow("high bytes") << QByteArray("\x80\x98\xA0\xFF");
    }
    void shapeBreakingTextsRoundTrip() {
        QFETCH(QByteArray, text);
        const std::string t = text.toStdString();
        TContentsTree tree;
        BuildShape(tree, "A(B,C(D)),E");
        for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) {
            n->SetText(t + n->Text());
            n->Rec().Note = t;
            n->Rec().FileName = t + ".htm";
            n->Rec().ThumbName = t;
            n->Rec().Date = QDateTime(QDate(2011, 12, 31), QTime(0, 0));
        }
        const QByteArray bytes = IndexOf(tree);
        QVERIFY(!bytes.contains('\n'));
        TContentsTree back;
        QVERIFY(Read(bytes, back).empty());
        QCOMPARE(back.NodeCount(), tree.NodeCount());
        for (const TTreeNode *a = tree.GetFirstNode(), *b = back.GetFirstNode(); a;
             a = a->GetNext(), b = b->GetNext()) {
            QCOMPARE(b->Level(), a->Level());
            QCOMPARE(b->Index(), a->Index());
            QCOMPARE(b->Text(), a->Text());
            QCOMPARE(b->Rec().Note, a->Rec().Note);
            QCOMPARE(b->Rec().FileName, AsciiLowerForTest(a->Rec().FileName));
            QCOMPARE(b->Rec().ThumbName, AsciiLowerForTest(a->Rec().ThumbName));
            QCOMPARE(b->Rec().Date, a->Rec().Date);
        }
        QCOMPARE(IndexOf(back), bytes);
    }

    // Line breaks in a text cannot survive (reading drops every line break);
    // the writer leaves them out so the index stays one line and the shape
    // is never touched.
    void lineBreaksInTextsVanishWithoutHarm() {
        TContentsTree tree;
        BuildShape(tree, "A(B)");
        tree.Root(0)->SetText("two\r\nlines");
        tree.Root(0)->Rec().Note = "x\ny\rz";
        const TContentsBytes bytes = WriteContents(tree, kFormat);
        QVERIFY(bytes.Index.find_first_of("\r\n") == std::string::npos);
        TContentsTree back;
        QVERIFY(Read(QByteArray::fromStdString(bytes.Index), back).empty());
        QCOMPARE(Shape(back), QStringLiteral("twolines(B)"));
        QCOMPARE(back.Root(0)->Rec().Note, std::string("xyz"));
    }

    // ---- tolerant reading -----------------------------------------------------------

    void tolerantReading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shape");
        QTest::addRow("blanks between tokens")
            << QByteArray("index = new  Array ( new\tArray( \"A\" , \"a.htm\" ,\"01.02.2009\", "
                          "\"\" ,\"\" , "
                          "new Array( new Array(\"B\",\"b.htm\",\"\",\"\",\"\", null ) ) ) , new "
                          "Array(\"C\" "
                          ",\"\",\"\",\"\",\"\",null) ) ;")
            << "A(B),C";
        QTest::addRow("line breaks anywhere, even inside fields")
            << QByteArray("index=new Ar\r\nray(new "
                          "Array(\"A\r\nB\",\"a.h\ntm\",\"01.0\r2.2009\",\"\",\"\",nu\nll),\r\n"
                          "new Array(\"C\",\"\",\"\",\"\",\"\",n\r\new Array(new "
                          "Array(\"D\",null))));\r\n")
            << "AB,C(D)";
        QTest::addRow("title only, then null")
            << QByteArray("index=new Array(new Array(\"A\",null));") << "A";
        QTest::addRow("two fields, then children")
            << QByteArray(
                   "index=new Array(new Array(\"A\",\"a.htm\",new Array(new Array(\"B\",null))));")
            << "A(B)";
        QTest::addRow("strings after the fifth ignored")
            << QByteArray(
                   "index=new Array(new Array(\"A\",\"\",\"\",\"\",\"\",\"6\",\"7\",null),new "
                   "Array(\"B\",null));")
            << "A,B";
        QTest::addRow("item without any string")
            << QByteArray("index=new Array(new Array(null),new Array(\"B\",null));") << "N,B";
        QTest::addRow("item without string with children")
            << QByteArray("index=new Array(new Array(new Array(new Array(\"C\",null))));")
            << "N(C)";
        QTest::addRow("empty file") << QByteArray() << "";
        QTest::addRow("no parenthesis at all") << QByteArray("index=null;") << "";
        QTest::addRow("truncated: nodes read so far stay")
            << QByteArray("index=new Array(new Array(\"A\",\"a\",\"\",\"\",\"\",new Array(new "
                          "Array(\"B\",\"b")
            << "A(B)";
        QTest::addRow("stray bytes skipped")
            << QByteArray("index=new Array(x new Array(\"A\",null)y, ;new Array(\"B\",null)z);")
            << "A,B";
    }
    void tolerantReading() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shape);
        TContentsTree tree;
        QVERIFY(Read(bytes, tree).empty());
        QCOMPARE(Shape(tree), shape);
    }

    void missingFieldsAreEmptyAndDateIsNow() {
        TContentsTree tree;
        Read("index=new Array(new Array(\"A\",null),new Array(\"B\",\"b.htm\",null));", tree);
        const QDateTime now(QDate(2030, 6, 15), QTime(12, 0));
        const TTreeRec& a = tree.Root(0)->Rec();
        QVERIFY(a.FileName.empty() && a.Note.empty() && a.ThumbName.empty());
        QCOMPARE(a.Date, now);
        const TTreeRec& b = tree.Root(1)->Rec();
        QCOMPARE(b.FileName, std::string("b.htm"));
        QCOMPARE(b.Date, now);
    }

    void realLoadUsesCurrentTimeForMissingDate() {
        QTemporaryDir dir;
        WriteRaw(dir.filePath(QStringLiteral("index")), "index=new Array(new Array(\"A\",null));");
        TContentsTree tree;
        const QDateTime before = QDateTime::currentDateTime();
        LoadContents(tree, SitePath(dir), kFormat);
        QVERIFY(qAbs(tree.Root(0)->Rec().Date.secsTo(before)) < 5);
    }

    void failingDates_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QDate>("expected"); // invalid: now
        QTest::addRow("own format") << QByteArray("01.02.2009") << kFormat << QDate(2009, 2, 1);
        QTest::addRow("one-digit day accepted")
            << QByteArray("1.2.2009") << kFormat << QDate(2009, 2, 1);
        QTest::addRow("Russian desktop's form under another locale")
            << QByteArray("01.02.2009") << QStringLiteral("M/d/yy") << QDate(2009, 2, 1);
        QTest::addRow("ISO under another locale")
            << QByteArray("2009-02-03") << QStringLiteral("M/d/yy") << QDate(2009, 2, 3);
        QTest::addRow("no form fits")
            << QByteArray("2009/02/01") << QStringLiteral("M/d/yy") << QDate();
        QTest::addRow("US short") << QByteArray("2/1/09") << QStringLiteral("M/d/yy")
                                  << QDate(2009, 2, 1);
        QTest::addRow("two-digit year window")
            << QByteArray("2/1/75") << QStringLiteral("M/d/yy") << QDate(1975, 2, 1);
        QTest::addRow("ISO") << QByteArray("2009-02-03") << QStringLiteral("yyyy-MM-dd")
                             << QDate(2009, 2, 3);
        QTest::addRow("no such day") << QByteArray("31.02.2009") << kFormat << QDate();
        QTest::addRow("empty") << QByteArray("") << kFormat << QDate();
        QTest::addRow("garbage") << QByteArray("soon") << kFormat << QDate();
        QTest::addRow("trailing text") << QByteArray("01.02.2009x") << kFormat << QDate();
        QTest::addRow("bad entity in date: no fault, now")
            << QByteArray("&x01.02.2009") << kFormat << QDate();
        QTest::addRow("entity in date decoded")
            << QByteArray("01&#46;02.2009") << kFormat << QDate(2009, 2, 1);
        QTest::addRow("month names (locale path)")
            << QByteArray("3 Feb 2009") << QStringLiteral("d MMM yyyy") << QDate(2009, 2, 3);
    }
    void failingDates() {
        QFETCH(QByteArray, field);
        QFETCH(QString, format);
        QFETCH(QDate, expected);
        if (format.contains(u"MMM") && QLocale::system().name() != u"C" &&
            !QLocale::system().name().startsWith(u"en"))
            QSKIP("month names of another language");
        TContentsTree tree;
        const auto faults =
            Read("index=new Array(new Array(\"A\",\"a\",\"" + field + "\",\"\",\"\",null));", tree,
                 format);
        QVERIFY(faults.empty());
        const QDateTime date = tree.Root(0)->Rec().Date;
        if (expected.isValid())
            QCOMPARE(date, QDateTime(expected, QTime(0, 0)));
        else
            QCOMPARE(date, QDateTime(QDate(2030, 6, 15), QTime(12, 0)));
    }

    // A site written under another locale keeps every date it holds, even
    // one no form can read; a date the user changes takes this locale's form.
    void datesAreWrittenBackAsRead_data() {
        QTest::addColumn<QString>("format");
        QTest::addRow("US") << QStringLiteral("M/d/yy");
        QTest::addRow("C locale") << QStringLiteral("d MMM yyyy");
        QTest::addRow("Russian") << kFormat;
    }
    void datesAreWrittenBackAsRead() {
        QFETCH(QString, format);
        const QByteArray bytes = "index=new Array(new Array(\"A\",\"a\",\"01.05.2024\",\"\",\"\","
                                 "new Array(new Array(\"B\",\"b\",\"2024-09-20\",\"\",\"\",null))),"
                                 "new Array(\"C\",\"c\",\"1.5.2024\",\"\",\"\",null),"
                                 "new Array(\"D\",\"d\",\"soon &amp; later\",\"\",\"\",null));";
        TContentsTree tree;
        QVERIFY(Read(bytes, tree, format).empty());
        QCOMPARE(tree.Root(0)->Rec().Date.date(), QDate(2024, 5, 1));
        QCOMPARE(tree.Root(0)->Child(0)->Rec().Date.date(), QDate(2024, 9, 20));
        QCOMPARE(IndexOf(tree, format), bytes);
        tree.Root(1)->Rec().Date = QDateTime(QDate(2025, 3, 4), QTime(0, 0));
        QByteArray changed = bytes;
        changed.replace("\"1.5.2024\"", "\"" + FormatIndexDate(QDate(2025, 3, 4), format) + "\"");
        QCOMPARE(IndexOf(tree, format), changed);
    }

    // The fast date path must write what Qt writes for the same format.
    void dateFormattingMatchesQt_data() {
        QTest::addColumn<QString>("format");
        for (const char* f : {"dd.MM.yyyy", "d.M.yyyy", "M/d/yy", "dd/MM/yy", "yyyy-MM-dd",
                              "yyyy. MM. dd.", "d-M-yyyy"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void dateFormattingMatchesQt() {
        QFETCH(QString, format);
        for (QDate d(1999, 12, 25); d < QDate(2010, 3, 1); d = d.addDays(37)) {
            QCOMPARE(QString::fromStdString(FormatIndexDate(d, format)),
                     QLocale::c().toString(d, format));
            QCOMPARE(ParseIndexDate(FormatIndexDate(d, format), format), d);
        }
        QCOMPARE(FormatIndexDate(QDate(), format), std::string());
    }

    // ---- the field codec --------------------------------------------------------------

    void escape_data() {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::addRow("plain") << QByteArray("abc, (x) new null")
                               << QByteArray("abc, (x) new null");
        QTest::addRow("four entities") << QByteArray("\"&<>") << QByteArray("&quot;&amp;&lt;&gt;");
        QTest::addRow("stops at NUL") << QByteArray("ab\0cd", 5) << QByteArray("ab");
        QTest::addRow("line breaks and high bytes pass")
            << QByteArray("a\r\nb\xE9\xFF'") << QByteArray("a\r\nb\xE9\xFF'");
        QTest::addRow("empty") << QByteArray() << QByteArray();
    }
    void escape() {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QCOMPARE(QByteArray::fromStdString(
                     EscapeHtmlText(std::string_view(in.constData(), std::size_t(in.size())))),
                 out);
    }

    void unescape_data() {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out"); // when it decodes
        QTest::addColumn<QString>("error");  // when it fails
        QTest::addRow("entities") << QByteArray("&amp;&lt;&gt;&quot;x") << QByteArray("&<>\"x")
                                  << QString();
        QTest::addRow("numeric") << QByteArray("&#65;&#1025;&#256;&#0;")
                                 << QByteArray("A\x01\x00\x00", 4) << QString();
        QTest::addRow("huge number: low 8 bits")
            << QByteArray("&#99999999999999999999999999999999999999;") << QByteArray("\xFF")
            << QString();
        QTest::addRow("leading zeros") << QByteArray("&#000065;") << QByteArray("A") << QString();
        QTest::addRow("unknown character")
            << QByteArray("ab&x") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&x) at position 2");
        QTest::addRow("cyrillic after ampersand")
            << QByteArray("&\xC6") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&Ж) at position 0");
        QTest::addRow("ampersand at the end")
            << QByteArray("abc&") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&) at position 3");
        QTest::addRow("&a without amp;")
            << QByteArray("x&am") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&a) at position 1");
        QTest::addRow("&l at the end")
            << QByteArray("&l") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&l) at position 0");
        QTest::addRow("&gx") << QByteArray("&gx;") << QByteArray()
                             << QStringLiteral("Invalid HTML encoded character (&g) at position 0");
        QTest::addRow("&quo") << QByteArray("&quo") << QByteArray()
                              << QStringLiteral(
                                     "Invalid HTML encoded character (&q) at position 0");
        QTest::addRow("&# without ;")
            << QByteArray("&#65") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&#) at position 0");
        QTest::addRow("&# at the end")
            << QByteArray("&#") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&#) at position 0");
        QTest::addRow("&#; empty number")
            << QByteArray("&#;") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&#) at position 0");
        QTest::addRow("&# with sign")
            << QByteArray("&#-5;") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&#) at position 0");
        QTest::addRow("&# with letters")
            << QByteArray("&#x41;") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&#) at position 0");
        QTest::addRow("position of the second ampersand")
            << QByteArray("&amp;&#1;&z") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&z) at position 9");
        QTest::addRow("capital entity is not one")
            << QByteArray("&AMP;") << QByteArray()
            << QStringLiteral("Invalid HTML encoded character (&A) at position 0");
    }
    void unescape() {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QFETCH(QString, error);
        // Exactly the bytes of the input, nothing after them to read.
        const std::unique_ptr<char[]> exact(new char[std::size_t(in.size()) + 1]);
        std::memcpy(exact.get(), in.constData(), std::size_t(in.size()));
        const std::string_view view(exact.get(), std::size_t(in.size()));
        if (error.isEmpty()) {
            QCOMPARE(QByteArray::fromStdString(UnescapeHtmlText(view)), out);
        } else {
            try {
                UnescapeHtmlText(view);
                QFAIL("no error");
            } catch (const Error& e) {
                QCOMPARE(QString::fromUtf8(e.what()), error);
            }
            std::string sink, message;
            QVERIFY(!TryUnescapeHtmlText(view, sink, &message));
            QCOMPARE(QString::fromStdString(message), error);
        }
    }

    void escapeThenUnescapeIsIdentity() {
        std::string all;
        for (int c = 1; c < 256; ++c)
            all += char(c);
        QCOMPARE(UnescapeHtmlText(EscapeHtmlText(all)), all);
    }

    // ---- mended: a bad '&' no longer loses the nodes after it ---------------------------

    void badAmpersandKeepsEveryNode() {
        QTemporaryDir dir;
        const QByteArray bytes =
            "index=new Array(new Array(\"A\",\"a.htm\",\"01.02.2009\",\"\",\"\",null),"
            "new Array(\"Tom&Jerry\",\"b.htm\",\"01.02.2009\",\"note &bad\",\"\",new Array("
            "new Array(\"C\",\"c.htm\",\"01.02.2009\",\"\",\"\",null))),"
            "new Array(\"D\",\"d.htm\",\"01.02.2009\",\"\",\"\",null));";
        WriteRaw(dir.filePath(QStringLiteral("index")), bytes);
        TContentsTree tree;
        const TLoadResult result = LoadContents(tree, SitePath(dir), kFormat);
        QCOMPARE(result.Faults.size(), std::size_t(2));
        QCOMPARE(QString::fromStdString(result.Faults[0]),
                 QStringLiteral("Invalid HTML encoded character (&J) at position 3"));
        QCOMPARE(QString::fromStdString(result.Faults[1]),
                 QStringLiteral("Invalid HTML encoded character (&b) at position 5"));
        // Every node, in its place; the bad fields keep their raw text.
        QCOMPARE(Shape(tree), QStringLiteral("A,Tom&Jerry(C),D"));
        QCOMPARE(tree.Root(1)->Text(), std::string("Tom&Jerry"));
        QCOMPARE(tree.Root(1)->Rec().Note, std::string("note &bad"));
        QCOMPARE(tree.Root(1)->Rec().FileName, std::string("b.htm"));
        // The next save keeps all of it, now well-formed.
        SaveContents(tree, SitePath(dir), kFormat);
        TContentsTree again;
        const TLoadResult second = LoadContents(again, SitePath(dir), kFormat);
        QVERIFY(second.Faults.empty());
        QCOMPARE(IndexOf(again), IndexOf(tree));
        QCOMPARE(again.NodeCount(), std::size_t(4));
        QCOMPARE(again.Root(1)->Text(), std::string("Tom&Jerry"));
    }

    // ---- LoadContents and SaveContents around the files ----------------------------------

    void missingIndexIsCreatedEmpty() {
        QTemporaryDir dir;
        TContentsTree tree;
        const TLoadResult result = LoadContents(tree, SitePath(dir), kFormat);
        QVERIFY(result.Created);
        QVERIFY(tree.IsEmpty());
        QCOMPARE(ReadAll(dir.filePath(QStringLiteral("index"))), QByteArray());
        QCOMPARE(FileAttributes(dir.filePath(QStringLiteral("index"))), std::uint32_t(kAttrNormal));
    }

    void emptyIndexLoadsEmptyWithoutCreating() {
        QTemporaryDir dir;
        WriteRaw(dir.filePath(QStringLiteral("index")), QByteArray());
        TContentsTree tree;
        const TLoadResult result = LoadContents(tree, SitePath(dir), kFormat);
        QVERIFY(!result.Created);
        QVERIFY(result.Faults.empty());
        QVERIFY(tree.IsEmpty());
    }

    void unreadableIndexIsAnError() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("index")));
        TContentsTree tree;
        QVERIFY_THROWS_EXCEPTION(Error, LoadContents(tree, SitePath(dir), kFormat));
    }

    void statesAfterSave() {
        QTemporaryDir dir;
        const QString index = dir.filePath(QStringLiteral("index"));
        const QString indexTxt = dir.filePath(QStringLiteral("index.txt"));
        TContentsTree tree;
        BuildWorkedExample(tree);
        SaveContents(tree, SitePath(dir), kFormat);
        QCOMPARE(FileAttributes(index), std::uint32_t(kAttrNormal));
        QCOMPARE(FileAttributes(indexTxt), std::uint32_t(kAttrArchive));
        // Read-only and hidden files are rewritten all the same.
        QVERIFY(SetFileAttributes(index, kAttrReadOnly | kAttrArchive));
        QVERIFY(SetFileAttributes(indexTxt, kAttrHidden | kAttrReadOnly));
        tree.Root(0)->SetText("changed");
        SaveContents(tree, SitePath(dir), kFormat);
        QVERIFY(ReadAll(index).contains("changed"));
        QCOMPARE(FileAttributes(index), std::uint32_t(kAttrNormal));
        QCOMPARE(FileAttributes(indexTxt), std::uint32_t(kAttrArchive));
    }

    // Mended: a write that fails half-way (a full disk) leaves both old files
    // whole, raises the write's reason, and leaves no temporary file behind.
    void failedSaveKeepsOldFiles() {
        QTemporaryDir dir;
        TContentsTree tree;
        BuildWorkedExample(tree);
        SaveContents(tree, SitePath(dir), kFormat);
        const QByteArray oldIndex = ReadAll(dir.filePath(QStringLiteral("index")));
        const QByteArray oldTxt = ReadAll(dir.filePath(QStringLiteral("index.txt")));
        for (int i = 0; i < 2000; ++i)
            tree.AddChild(nullptr, "more", {"more.htm", "", "", QDateTime::currentDateTime()});
        for (rlim_t limit : {rlim_t(100), rlim_t(70000)}) { // index.txt fails / index fails
            {
                FileSizeLimit cap(limit);
                try {
                    SaveContents(tree, SitePath(dir), kFormat);
                    QFAIL("no error");
                } catch (const Error& e) {
                    QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("index")),
                             e.what());
                }
            }
            QCOMPARE(ReadAll(dir.filePath(QStringLiteral("index"))), oldIndex);
            if (limit == 100)
                QCOMPARE(ReadAll(dir.filePath(QStringLiteral("index.txt"))), oldTxt);
            QCOMPARE(AllEntries(dir.path()),
                     QStringList({QStringLiteral("index"), QStringLiteral("index.txt")}));
            QCOMPARE(FileAttributes(dir.filePath(QStringLiteral("index"))),
                     std::uint32_t(kAttrNormal));
        }
        // A temporary file left by a crash never counts as a site file.
        WriteRaw(dir.filePath(QStringLiteral(".~quillery-index.AbCdEf")), "half");
        for (const TSiteFile& f : ListSiteFiles(SitePath(dir), TListMode::WithHidden))
            QVERIFY(!f.Name.startsWith(QStringLiteral(".~quillery-")));
        QVERIFY(!SiteFileExists(SitePath(dir), u".~quillery-index.AbCdEf"));
    }

    void saveIntoMissingFolderIsAnError() {
        TContentsTree tree;
        QVERIFY_THROWS_EXCEPTION(
            Error, SaveContents(tree, QStringLiteral("/nonexistent-quillery/"), kFormat));
    }

    // A large tree: many node slabs and a file of several megabytes.
    void largeIndexRoundTrip() {
        QTemporaryDir dir;
        TContentsTree tree;
        TTreeNode* parent = nullptr;
        for (int i = 0; i < 60000; ++i) {
            TTreeNode* n = tree.AddChild(
                i % 7 == 0 ? nullptr : parent, W("Заголовок номер ") + std::to_string(i),
                {GuidFileStem() + ".htm", i % 3 ? "" : "Thumb.JPG",
                 W("Заметка & <пометка> \"") + std::to_string(i),
                 QDateTime(QDate(2000, 1, 1).addDays(i % 4000), QTime(0, 0))});
            if (i % 5 == 0)
                parent = n;
        }
        SaveContents(tree, SitePath(dir), kFormat);
        const QByteArray bytes = ReadAll(dir.filePath(QStringLiteral("index")));
        QVERIFY(bytes.size() > (4 << 20));
        TContentsTree back;
        const TLoadResult result = LoadContents(back, SitePath(dir), kFormat);
        QVERIFY(result.Faults.empty());
        QCOMPARE(back.NodeCount(), tree.NodeCount());
        QCOMPARE(IndexOf(back), bytes);
        QCOMPARE(QByteArray::fromStdString(WriteContents(back, kFormat).IndexTxt),
                 ReadAll(dir.filePath(QStringLiteral("index.txt"))).toLower());
        // The same file broken over lines reads the same.
        QByteArray broken = bytes;
        for (qsizetype i = broken.size() - 1000; i > 0; i -= 4093)
            broken.insert(i, "\r\n");
        WriteRaw(dir.filePath(QStringLiteral("index")), broken);
        TContentsTree again;
        LoadContents(again, SitePath(dir), kFormat);
        QCOMPARE(IndexOf(again), bytes);
    }

    // ---- no depth limit --------------------------------------------------------------------

    void deepNesting() {
        const int depth = 100000;
        QByteArray bytes = "index=new Array(";
        for (int i = 0; i < depth; ++i)
            bytes += "new Array(\"d\",\"\",\"\",\"\",\"\",new Array(";
        bytes += ")";
        for (int i = 0; i < depth; ++i)
            bytes += "))";
        bytes += ";";
        TContentsTree tree;
        Read(bytes, tree);
        QCOMPARE(tree.NodeCount(), std::size_t(depth));
        const QByteArray out = IndexOf(tree);
        TContentsTree back;
        Read(out, back);
        QCOMPARE(back.NodeCount(), std::size_t(depth));
        QCOMPARE(IndexOf(back), out);
    }

private:
    static std::string AsciiLowerForTest(std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return s;
    }
};

QTEST_GUILESS_MAIN(TestIndexFile)
#include "test_index_file.moc"

// The INI document: what it reads from hand-written files, and that any value survives a write and a read.
#include "platform/ini_document.h"
#include "tests/support/row_name.h"

#include <gtest/gtest.h>

using qx::IniDocument;

namespace {

QString roundTrip(const QString& value) {
    IniDocument doc;
    doc.setValue(u"Opzioni", u"Chiave", value);
    return IniDocument::parse(doc.serialize()).value(u"Opzioni", u"Chiave").value_or(QStringLiteral("<absent>"));
}

} // namespace

namespace {

struct ValueRow {
    const char* name;
    QString value;
};

class IniValueTest : public ::testing::TestWithParam<ValueRow> {};

TEST_P(IniValueTest, ReadsBackExactly) {
    EXPECT_EQ(roundTrip(GetParam().value), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    IniDocument, IniValueTest,
    ::testing::Values(ValueRow{"empty", QString()}, ValueRow{"line breaks", QStringLiteral("uno\ndue\r\ntre\r")},
                      ValueRow{"ini punctuation", QStringLiteral("a=b [c] ;d #e %20 %")},
                      ValueRow{"starts like a section", QStringLiteral("[Opzioni]")},
                      ValueRow{"backslashes and escapes as text", QStringLiteral("C:\\new\\x41 \\\\ \\")},
                      ValueRow{"control characters", QString::fromUtf16(u"\u0000\u0001\u001b\u007f\t")},
                      ValueRow{"non-ASCII", QStringLiteral("Sveglia è già le 7 — 日本語 🙂")},
                      ValueRow{"surrounding spaces", QStringLiteral("  spazi  ")},
                      ValueRow{"quotes", QStringLiteral("\"citato\"")}, ValueRow{"lone quote", QStringLiteral("\"")},
                      ValueRow{"one megabyte", QString(1024 * 1024, QLatin1Char('x'))}),
    qx::test::RowName());

} // namespace

TEST(IniDocument, ReadsHandWrittenFilesLeniently) {
    const QByteArray text = "\xEF\xBB\xBF; commento\r\n"
                            "[opzioni]\r\n"
                            "  Big Ben = 1  \r\n"
                            "Avvio=Mini\n"
                            "riga senza uguale\n"
                            "Avvio=Analogico\n"
                            "=senza chiave\n"
                            "[Allarme]\n"
                            "Ore=\"07\"\n"
                            "Messaggio=C:\\Documenti\\sveglia\n"
                            "Rotto=\xff\xfe ok\n";
    const IniDocument doc = IniDocument::parse(text);
    EXPECT_EQ(doc.value(u"Opzioni", u"big ben"), QStringLiteral("1"));
    EXPECT_EQ(doc.value(u"OPZIONI", u"Avvio"), QStringLiteral("Analogico")) << "the later of two equal keys wins";
    EXPECT_EQ(doc.value(u"Allarme", u"Ore"), QStringLiteral("07"));
    EXPECT_EQ(doc.value(u"Allarme", u"Messaggio"), QStringLiteral("C:\\Documenti\\sveglia"));
    EXPECT_TRUE(doc.value(u"Allarme", u"Rotto").has_value());
    EXPECT_FALSE(doc.value(u"Opzioni", u"riga senza uguale").has_value());
    EXPECT_EQ(doc.serialize(), text) << "an untouched document is written back byte for byte";
}

TEST(IniDocument, WritingOneKeyChangesOnlyItsLine) {
    const QByteArray text = "[Opzioni]\r\n"
                            "Esegui auto=0\r\n"
                            "garbage \xff line\n"
                            "\n"
                            "[Allarme]\n"
                            "Ore=07\n";
    IniDocument doc = IniDocument::parse(text);
    doc.setValue(u"OPZIONI", u"esegui AUTO", QStringLiteral("1"));
    doc.setValue(u"Opzioni", u"Avvio", QStringLiteral("Mini"));
    doc.setValue(u"CR", u"Quando zero", QStringLiteral("Arresta"));
    EXPECT_EQ(doc.serialize(), QByteArray("[Opzioni]\r\n"
                                          "Esegui auto=1\r\n"
                                          "garbage \xff line\n"
                                          "Avvio=Mini\n"
                                          "\n"
                                          "[Allarme]\n"
                                          "Ore=07\n"
                                          "\n"
                                          "[CR]\n"
                                          "Quando zero=Arresta\n"));
}

TEST(IniDocument, KeysGoAfterTheLastLineEvenWhenItHadNoLineEnd) {
    // The last line has no line end; a new section gives it one, and a later key of the lines before any header
    // must then go after that line, not after an extra blank line.
    IniDocument doc = IniDocument::parse("prima=1");
    doc.setValue(u"Nuova", u"k", QStringLiteral("v"));
    doc.setValue(u"", u"seconda", QStringLiteral("2"));
    EXPECT_EQ(doc.serialize(), QByteArray("prima=1\nseconda=2\n\n[Nuova]\nk=v\n"));
    IniDocument bom = IniDocument::parse("\xEF\xBB\xBF");
    bom.setValue(u"", u"k", QStringLiteral("v"));
    EXPECT_EQ(bom.serialize(), QByteArray("\xEF\xBB\xBFk=v\n"));
}

TEST(IniDocument, KeysAndSectionsWithAwkwardCharactersRoundTrip) {
    IniDocument doc;
    doc.setValue(u"Sez]ione", u"chiave=con;uguale", QStringLiteral("v"));
    doc.setValue(u"Opzioni", u"[non sezione", QStringLiteral("w"));
    const IniDocument back = IniDocument::parse(doc.serialize());
    EXPECT_EQ(back.value(u"sez]ione", u"CHIAVE=con;uguale"), QStringLiteral("v"));
    EXPECT_EQ(back.value(u"Opzioni", u"[non sezione"), QStringLiteral("w"));
}

namespace {

struct HandWrittenRow {
    const char* name;
    QByteArray text;
    const char16_t* section;
    const char16_t* key;
    const char* value; // nullptr: absent
};

class IniHandWrittenTest : public ::testing::TestWithParam<HandWrittenRow> {};

TEST_P(IniHandWrittenTest, ReadsWhatAPersonWritesByHand) {
    const HandWrittenRow& c = GetParam();
    const IniDocument doc = IniDocument::parse(c.text);
    const std::optional<QString> got = doc.value(c.section, c.key);
    if (c.value)
        EXPECT_EQ(got, QString::fromUtf8(c.value));
    else
        EXPECT_FALSE(got.has_value()) << got.value_or(QString()).toStdString();
    EXPECT_EQ(doc.serialize(), c.text) << "an untouched document is written back byte for byte";
}

INSTANTIATE_TEST_SUITE_P(
    IniDocument, IniHandWrittenTest,
    ::testing::Values(
        HandWrittenRow{"comment after a header", "[Opzioni] ; le mie opzioni\nBig Ben=1\n", u"Opzioni", u"Big Ben",
                       "1"},
        HandWrittenRow{"hash comment after a header", "[Opzioni]   # note\nBig Ben=1\n", u"Opzioni", u"Big Ben", "1"},
        HandWrittenRow{"commented header opens its own section",
                       "[Allarme]\nOre=07\n[CR] ; conto\nMessaggio=Fine conto\n", u"Allarme", u"Messaggio", nullptr},
        HandWrittenRow{"key after a commented header", "[Allarme]\n[CR] ; conto\nMessaggio=Fine conto\n", u"CR",
                       u"Messaggio", "Fine conto"},
        HandWrittenRow{"semicolon comment line", "[Opzioni]\n;Big Ben=0\nBig Ben=1\n", u"Opzioni", u"Big Ben", "1"},
        HandWrittenRow{"hash comment line", "[Opzioni]\n  # Big Ben=0\nBig Ben=1\n", u"Opzioni", u"Big Ben", "1"},
        HandWrittenRow{"spaces around names and =", "  [ Opzioni ]  \n\t Big Ben \t=\t 1 \n", u"Opzioni", u"Big Ben",
                       "1"},
        HandWrittenRow{"byte-order mark at the start", "\xEF\xBB\xBF[Opzioni]\nBig Ben=1\n", u"Opzioni", u"Big Ben",
                       "1"},
        HandWrittenRow{"byte-order mark inside belongs to the name",
                       "[Opzioni]\n\xEF\xBB\xBF"
                       "Big Ben=1\n",
                       u"Opzioni", u"Big Ben", nullptr},
        HandWrittenRow{"CRLF line ends", "[Opzioni]\r\nBig Ben=1\r\n", u"Opzioni", u"Big Ben", "1"},
        HandWrittenRow{"last line without a line end", "[Opzioni]\nBig Ben=1", u"Opzioni", u"Big Ben", "1"},
        HandWrittenRow{"broken header hides its keys", "[Opzioni]\nBig Ben=1\n[Allarme\nBig Ben=0\n", u"Opzioni",
                       u"Big Ben", "1"},
        HandWrittenRow{"junk after a header hides its keys", "[Opzioni]\nAvvio=Mini\n[CR] conto\nAvvio=Analogico\n",
                       u"Opzioni", u"Avvio", "Mini"}),
    qx::test::RowName());

} // namespace

TEST(IniDocument, ToldWhetherEveryLineWasUnderstood) {
    EXPECT_FALSE(IniDocument::parse("; c\n[A] ; c\n# c\nk = v\n\n").hasUnreadableLines());
    EXPECT_TRUE(IniDocument::parse("[A]\nriga senza uguale\n").hasUnreadableLines());
    EXPECT_TRUE(IniDocument::parse("[A\nk=v\n").hasUnreadableLines());
}

namespace {

struct EmptySectionRow {
    const char* name;
    QByteArray text;
};

// A section whose header is followed at once by another header, or ends the file: the first key written into it goes
// right after the header, which must stay the header of that section (it used to take the key's line in, so that the
// section's next key went to a second "[Opzioni]" at the end of the file).
class IniEmptySectionTest : public ::testing::TestWithParam<EmptySectionRow> {};

TEST_P(IniEmptySectionTest, KeysWrittenIntoASectionWithNoLinesStayInIt) {
    IniDocument doc = IniDocument::parse(GetParam().text);
    ASSERT_TRUE(doc.setValue(u"Opzioni", u"Avvio", QStringLiteral("Mini")));
    EXPECT_EQ(doc.value(u"Opzioni", u"Avvio"), QStringLiteral("Mini"));
    ASSERT_TRUE(doc.setValue(u"Opzioni", u"Big Ben", QStringLiteral("1")));
    EXPECT_EQ(doc.value(u"Opzioni", u"Avvio"), QStringLiteral("Mini"));
    EXPECT_EQ(doc.value(u"Opzioni", u"Big Ben"), QStringLiteral("1"));
    EXPECT_EQ(doc.serialize().count("[Opzioni]"), 1) << doc.serialize().toStdString();
    EXPECT_EQ(IniDocument::parse(doc.serialize()).values(), doc.values()) << doc.serialize().toStdString();
}

INSTANTIATE_TEST_SUITE_P(IniDocument, IniEmptySectionTest,
                         ::testing::Values(EmptySectionRow{"another header next", "[Opzioni]\n[Allarme]\nOre=07\n"},
                                           EmptySectionRow{"the last line", "[Opzioni]\n"},
                                           EmptySectionRow{"the last line without a line end", "[Opzioni]"}),
                         qx::test::RowName());

} // namespace

// An empty value at the very end of a file without a line end: the key written after it gets the line end first, and
// the empty value stays where it is (it used to move with the insertion and then read, and be written, as part of the
// new key's line).
TEST(IniDocument, AnEmptyValueOnTheLastLineStaysWhenAKeyIsAddedAfterIt) {
    IniDocument doc = IniDocument::parse("[Allarme]\nMessaggio=");
    ASSERT_TRUE(doc.setValue(u"Allarme", u"Ore", QStringLiteral("07")));
    EXPECT_EQ(doc.serialize(), QByteArray("[Allarme]\nMessaggio=\nOre=07\n"));
    EXPECT_EQ(doc.value(u"Allarme", u"Messaggio"), QString());
    ASSERT_TRUE(doc.setValue(u"Allarme", u"Messaggio", QStringLiteral("Sveglia")));
    EXPECT_EQ(doc.serialize(), QByteArray("[Allarme]\nMessaggio=Sveglia\nOre=07\n"));
    EXPECT_EQ(doc.value(u"Allarme", u"Ore"), QStringLiteral("07"));
}

TEST(IniDocument, OddNamesReadBackAsWrittenAndNeverAliasAnotherKey) {
    // Pairs of names that a careless writer or reader confuses; each gets its own value.
    const QString bom = QString(QChar(0xfeff));
    const QString ideographicSpace = QString(QChar(0x3000));
    const QString separator = QString(QChar(0x1f));
    const std::pair<QString, QString> names[] = {
        {QStringLiteral("Opzioni"), bom + QStringLiteral("[Allarme]")},
        {QStringLiteral("Opzioni"), QStringLiteral("[Allarme]")},
        {QStringLiteral("Opzioni"), ideographicSpace + QStringLiteral("Avvio") + ideographicSpace},
        {QStringLiteral("Opzioni"), QStringLiteral("Avvio")},
        {QStringLiteral("Opzioni"), QStringLiteral("0Avvio0")},
        {QStringLiteral("Opzioni"), QStringLiteral("\"Big Ben\"")},
        {QStringLiteral("Opzioni"), QStringLiteral("Big Ben")},
        {QStringLiteral("a") + separator + QStringLiteral("b"), QStringLiteral("c")},
        {QStringLiteral("a"), QStringLiteral("b") + separator + QStringLiteral("c")},
        {bom + QStringLiteral("Sez"), bom},
        {QStringLiteral("Sez"), QStringLiteral(" ")},
        {QStringLiteral(" Sez]"), QStringLiteral("=;#\\x41\\u0041")},
        {QStringLiteral(""), QStringLiteral("prima di ogni sezione")},
    };
    IniDocument doc = IniDocument::parse(QByteArray());
    for (std::size_t i = 0; i < std::size(names); ++i)
        ASSERT_TRUE(doc.setValue(names[i].first, names[i].second, QString::number(i)));
    for (const QByteArray& bytes : {doc.serialize(), QByteArray(doc.serialize()).prepend("\xEF\xBB\xBF")}) {
        const IniDocument back = IniDocument::parse(bytes);
        EXPECT_FALSE(back.hasUnreadableLines()) << bytes.toStdString();
        EXPECT_EQ(back.values().size(), qsizetype(std::size(names))) << bytes.toStdString();
        for (std::size_t i = 0; i < std::size(names); ++i)
            EXPECT_EQ(back.value(names[i].first, names[i].second), QString::number(i))
                << "[" << names[i].first.toStdString() << "] " << names[i].second.toStdString() << " in\n"
                << bytes.toStdString();
    }
    EXPECT_FALSE(doc.setValue(u"Opzioni", u"", QStringLiteral("v"))) << "a key needs a name";
}

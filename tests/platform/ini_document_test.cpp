// The INI document: what it reads from hand-written files, and that any value survives a write and a read.
#include "platform/ini_document.h"

#include <gtest/gtest.h>

using qx::IniDocument;

namespace {

QString roundTrip(const QString& value) {
    IniDocument doc;
    doc.setValue(u"Opzioni", u"Chiave", value);
    return IniDocument::parse(doc.serialize()).value(u"Opzioni", u"Chiave").value_or(QStringLiteral("<absent>"));
}

} // namespace

TEST(IniDocument, AnyValueReadsBackExactly) {
    const struct {
        const char* name;
        QString value;
    } cases[] = {
        {"empty", QString()},
        {"line breaks", QStringLiteral("uno\ndue\r\ntre\r")},
        {"ini punctuation", QStringLiteral("a=b [c] ;d #e %20 %")},
        {"starts like a section", QStringLiteral("[Opzioni]")},
        {"backslashes and escapes as text", QStringLiteral("C:\\new\\x41 \\\\ \\")},
        {"control characters", QString::fromUtf16(u"\u0000\u0001\u001b\u007f\t")},
        {"non-ASCII", QStringLiteral("Sveglia è già le 7 — 日本語 🙂")},
        {"surrounding spaces", QStringLiteral("  spazi  ")},
        {"quotes", QStringLiteral("\"citato\"")},
        {"lone quote", QStringLiteral("\"")},
        {"one megabyte", QString(1024 * 1024, QLatin1Char('x'))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundTrip(c.value), c.value) << c.name;
}

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

TEST(IniDocument, KeysAndSectionsWithAwkwardCharactersRoundTrip) {
    IniDocument doc;
    doc.setValue(u"Sez]ione", u"chiave=con;uguale", QStringLiteral("v"));
    doc.setValue(u"Opzioni", u"[non sezione", QStringLiteral("w"));
    const IniDocument back = IniDocument::parse(doc.serialize());
    EXPECT_EQ(back.value(u"sez]ione", u"CHIAVE=con;uguale"), QStringLiteral("v"));
    EXPECT_EQ(back.value(u"Opzioni", u"[non sezione"), QStringLiteral("w"));
}

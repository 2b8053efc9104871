// Entries as FreeDict writes them, the Bulgarian text with and without accents, the
// transcriptions in the dictionary's manner, and the base forms of inflected words.
#include "reference/TInflection.h"
#include "reference/TReferenceEntry.h"

#include <gtest/gtest.h>

namespace {

QStringList Bulgarian(const TReferenceEntry& E)
{
    QStringList Out;
    for (const TReferenceSense& S : E.Senses)
        Out.append(S.Bulgarian);
    return Out;
}

QStringList Glosses(const TReferenceEntry& E)
{
    QStringList Out;
    for (const TReferenceSense& S : E.Senses)
        Out.append(S.Gloss);
    return Out;
}

} // namespace

TEST(ReferenceEntry, NumberedSensesTranscriptionsAndPartOfSpeech)
{
    const TReferenceEntry E = TReferenceEntry::Parse(QStringLiteral(
        "house //haʊs// //hʌʊs// <n>\n1. стопа́нство, къща\nan establishment, business\n"
        "2. къ́ща, къща\narchetypal structure of a human abode\n\n"));
    EXPECT_EQ(E.Headword, "house");
    EXPECT_EQ(E.Transcriptions, QStringList({"haʊs", "hʌʊs"}));
    EXPECT_EQ(E.PartOfSpeech, "n");
    EXPECT_EQ(Bulgarian(E), QStringList({"стопа́нство, къща", "къ́ща, къща"}));
    EXPECT_EQ(Glosses(E), QStringList({"an establishment, business",
                                        "archetypal structure of a human abode"}));
}

TEST(ReferenceEntry, OddLayoutsOfTheRealFile)
{
    // One sense without a number; a narrow transcription in brackets; single slashes; a phrase
    // as headword; numbers left alone that share the sense before them.
    const TReferenceEntry Go = TReferenceEntry::Parse(
        QStringLiteral("go //ɡoʊ// //ɡəʊ// <v>\nотивам, ходя\nto move through space\n"));
    EXPECT_EQ(Bulgarian(Go), QStringList({"отивам, ходя"}));
    EXPECT_EQ(Glosses(Go), QStringList({"to move through space"}));

    const TReferenceEntry Light = TReferenceEntry::Parse(QStringLiteral(
        "light //laɪt// //lʌɪt// /[ɫɐɪ̯ʔ]/ <adj>\n6. незначителен\nof little significance\n"
        "7. лек 2.\nof low weight\n 3.\nhaving little force or momentum\n 4.\nlow in fat\n"));
    EXPECT_EQ(Light.Transcriptions, QStringList({"laɪt", "lʌɪt"}));
    EXPECT_EQ(Light.PartOfSpeech, "adj");
    EXPECT_EQ(Bulgarian(Light), QStringList({"незначителен", "лек", "лек", "лек"}));
    EXPECT_EQ(Glosses(Light), QStringList({"of little significance", "of low weight",
                                            "having little force or momentum", "low in fat"}));

    const TReferenceEntry Phrase = TReferenceEntry::Parse(
        QStringLiteral("ice cream /ˈaɪs kriːm/ <n>\nсладолед\nfrozen dessert\n"));
    EXPECT_EQ(Phrase.Headword, "ice cream");
    EXPECT_EQ(Phrase.Transcriptions, QStringList({"ˈaɪs kriːm"}));

    // Another dictd dictionary's layout: a headword line and paragraphs.
    const TReferenceEntry Other = TReferenceEntry::Parse(
        QStringLiteral("cat\n  Katze\n  ein Haustier\n\n  Kater\n"));
    EXPECT_EQ(Other.Headword, "cat");
    EXPECT_EQ(Bulgarian(Other), QStringList({"Katze", "Kater"}));
    EXPECT_TRUE(TReferenceEntry::Parse(QStringLiteral("\n\n")).Headword.isEmpty());
}

TEST(ReferenceText, AccentsDroppedOrKeptAndRepetitionsOnce)
{
    EXPECT_EQ(TReferenceText::DropStress(QStringLiteral("дом, къ́ща, къща")), "дом, къща");
    EXPECT_EQ(TReferenceText::KeepStress(QStringLiteral("дом, къ́ща, къща")), "дом, къ́ща");
    EXPECT_EQ(TReferenceText::DropStress(QStringLiteral("светлина́, светлина")), "светлина");
    EXPECT_EQ(TReferenceText::DropStress(QStringLiteral("ѝ")), "ѝ") << "a letter, not an accent";
}

TEST(ReferenceText, TranscriptionsInTheDictionarysManner)
{
    const struct
    {
        const char16_t* Reference;
        const char16_t* House;
    } Cases[] = {
        {u"haʊs", u"haʊs"},                 // one syllable, unchanged
        {u"ˈhaʊs", u"haʊs"},                // one syllable carries no stress mark
        {u"juˈbɪk.wɪ.təs", u"juˋbɪkwɪtəs"}, // syllable dots go
        {u"ɪmˈpɛtʃuəs", u"ɪmˋpetʃuəs"},     // the mark stays before its onset; ɛ is e
        {u"ˈɹʌnɚ", u"ˋrʌnər"},              // American r-sounds as the dictionary writes them
        {u"-kɹəsi", u"krəsi"},              // a suffix's hyphen goes
        {u"[ɫɐɪ̯ʔ]", u"ləɪ̯ʔ"},                // brackets go; the dark l is l
    };
    for (const auto& C : Cases)
        EXPECT_EQ(TReferenceText::HouseTranscription(QString::fromUtf16(C.Reference)),
                  QString::fromUtf16(C.House))
            << QString::fromUtf16(C.Reference).toStdString();
}

TEST(Inflection, BaseFormsOfInflectedWords)
{
    const struct
    {
        const char* Word;
        const char* Base; // must be among the candidates
    } Cases[] = {
        {"houses", "house"},   {"boxes", "box"},     {"flies", "fly"},     {"halves", "half"},
        {"knives", "knife"},   {"ran", "run"},       {"went", "go"},       {"children", "child"},
        {"better", "good"},    {"used", "use"},      {"worked", "work"},   {"stopped", "stop"},
        {"tried", "try"},      {"lying", "lie"},     {"making", "make"},   {"reading", "read"},
        {"running", "run"},    {"lighter", "light"}, {"bigger", "big"},    {"happier", "happy"},
        {"later", "late"},     {"lightest", "light"}, {"happily", "happy"}, {"quickly", "quick"},
        {"teacher's", "teacher"}, {"Houses", "house"},
    };
    for (const auto& C : Cases)
        EXPECT_TRUE(TInflection::BaseForms(QString::fromUtf8(C.Word)).contains(C.Base))
            << C.Word << " → " << TInflection::BaseForms(C.Word).join(", ").toStdString();
    EXPECT_FALSE(TInflection::BaseForms("glass").contains("glas"));
    EXPECT_FALSE(TInflection::BaseForms("house").contains("house"));
    EXPECT_TRUE(TInflection::BaseForms("s").isEmpty());
}

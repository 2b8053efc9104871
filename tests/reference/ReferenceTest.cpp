// Look-ups in Debian's FreeDict English–Bulgarian dictionary (installed by the test command),
// inflected forms and phrases, and the program's reference loading off the interface thread.
#include "ReferenceFixtures.h"
#include "../support/WaitUntil.h"

#include "reference/TReference.h"

#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TReferenceDictionary& FreeDict()
{
    static TReferenceDictionary Dictionary;
    static const bool Opened = [] {
        QString Error;
        const bool Ok = Dictionary.Open(FreeDictIndex(), &Error);
        EXPECT_TRUE(Ok) << Error.toStdString();
        return Ok;
    }();
    EXPECT_TRUE(Opened);
    return Dictionary;
}

QStringList Senses(const TReferenceResult& R, const QString& PartOfSpeech)
{
    QStringList Out;
    for (const TReferenceEntry& E : R.Entries)
        if (E.PartOfSpeech == PartOfSpeech)
            for (const TReferenceSense& S : E.Senses)
                Out.append(TReferenceText::DropStress(S.Bulgarian));
    return Out;
}

} // namespace

TEST(FreeDict, HouseUbiquitousAndLight)
{
    const TReferenceResult House = FreeDict().LookUp(QStringLiteral("house"));
    ASSERT_EQ(House.Entries.size(), 2) << "the noun and the verb";
    EXPECT_EQ(House.FoundAs, "house");
    EXPECT_TRUE(House.Note.isEmpty());
    EXPECT_EQ(House.Entries[0].Transcriptions.first(), "haʊs");
    EXPECT_EQ(House.Entries[1].Transcriptions.first(), "haʊz");
    EXPECT_EQ(Senses(House, "n"),
              QStringList({"стопанство, къща", "къща", "камара, къща", "династия, къща", "дом, къща"}));
    EXPECT_EQ(House.Entries[0].Senses[4].Gloss, "human abode");
    EXPECT_EQ(Senses(House, "v"), QStringList({"помещавам", "подслонявам се"}));
    EXPECT_EQ(TReferenceText::FirstWords(House.Entries, 3), "стопанство, къща, камара…");

    const TReferenceResult Ubiquitous = FreeDict().LookUp(QStringLiteral("Ubiquitous"));
    ASSERT_EQ(Ubiquitous.Entries.size(), 1);
    EXPECT_EQ(Senses(Ubiquitous, "adj"), QStringList({"повсеместен", "вездесъщ"}));
    EXPECT_EQ(TReferenceText::HouseTranscription(Ubiquitous.Entries[0].Transcriptions.first()),
              "juˋbɪkwɪtəs");

    const TReferenceResult Light = FreeDict().LookUp(QStringLiteral("light"));
    QStringList Parts;
    for (const TReferenceEntry& E : Light.Entries)
        Parts.append(E.PartOfSpeech);
    EXPECT_EQ(Parts, QStringList({"adj", "adv", "n", "v"}));
    EXPECT_EQ(Senses(Light, "adj").size(), 9);
    EXPECT_EQ(Senses(Light, "n").first(), "светлина");
}

TEST(FreeDict, InflectedFormsPhrasesAndMissingWords)
{
    const struct
    {
        const char* Asked;
        const char* FoundAs;
        const char* Note;
    } Cases[] = {
        {"houses", "house", "a form of house"},
        {"ran", "run", "a form of run"},
        {"lighter", "lighter", "also a form of light"}, // a headword of its own, and a form
        {"  \"House.\" ", "house", ""},                  // copied with quotes and a full stop
        {"ubiquitous people", "ubiquitous", "the phrase is not in the reference; its first word is"},
        {"houses of cards", "house",
         "the phrase is not in the reference; its first word is (a form of house)"},
        {"ice cream", "ice cream", ""},
        {"qwzxvbn", "", ""},
        {"", "", ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Asked);
        const TReferenceResult R = FreeDict().LookUp(QString::fromUtf8(C.Asked));
        EXPECT_EQ(R.FoundAs, QString::fromUtf8(C.FoundAs));
        EXPECT_EQ(R.Note, QString::fromUtf8(C.Note));
        EXPECT_EQ(R.Found(), *C.FoundAs != 0);
        EXPECT_TRUE(R.Error.isEmpty());
    }
    const TReferenceResult Lighter = FreeDict().LookUp(QStringLiteral("lighter"));
    ASSERT_GE(Lighter.Entries.size(), 2);
    EXPECT_EQ(Lighter.Entries.first().Headword, "lighter");
    EXPECT_EQ(Lighter.Entries.last().Headword, "light");
}

TEST(Reference, LoadsOffTheInterfaceThreadOnlyWhenAskedFor)
{
    TReference R;
    R.SetSource(true, FreeDictIndex());
    EXPECT_EQ(R.State(), TReference::TState::Idle) << "nothing read before the first look-up";
    QSignalSpy Loaded(&R, &TReference::Loaded);
    EXPECT_FALSE(R.LookUp(QStringLiteral("house")).Found()) << "not loaded yet";
    EXPECT_EQ(R.State(), TReference::TState::Loading);
    ASSERT_TRUE(WaitUntil([&] { return Loaded.count() == 1; }, 60000));
    EXPECT_EQ(R.State(), TReference::TState::Ready);
    EXPECT_TRUE(R.LookUp(QStringLiteral("house")).Found());

    R.SetSource(false, FreeDictIndex());
    EXPECT_EQ(R.State(), TReference::TState::Off);
    EXPECT_FALSE(R.LookUp(QStringLiteral("house")).Found());

    TDictdFixture F;
    R.SetSource(true, F.Path("missing.index"));
    EXPECT_EQ(R.State(), TReference::TState::Missing);
    EXPECT_FALSE(R.Prepare());
}

TEST(Reference, ADamagedFileFailsWithOneMessageAndASwitchDropsAStaleLoad)
{
    TDictdFixture F;
    const QString Index = F.Make("t", {{"run", "run //rʌn// <v>\nтичам\nto move fast"}});
    QFile Data(F.Path("t.dict.dz"));
    ASSERT_TRUE(Data.open(QIODevice::ReadWrite));
    ASSERT_TRUE(Data.resize(Data.size() / 2));
    Data.close();

    TReference R;
    QSignalSpy Loaded(&R, &TReference::Loaded);
    R.SetSource(true, Index);
    R.Prepare();
    ASSERT_TRUE(WaitUntil([&] { return Loaded.count() == 1; }, 60000));
    EXPECT_EQ(R.State(), TReference::TState::Failed);
    EXPECT_TRUE(R.ErrorText().contains("t.dict.dz")) << R.ErrorText().toStdString();
    EXPECT_FALSE(R.Prepare()) << "a failed file is not read again and again";

    // A load started for one source and then switched away from is not taken when it ends.
    R.SetSource(true, FreeDictIndex());
    R.Prepare();
    R.SetSource(false, FreeDictIndex());
    R.SetSource(true, Index);
    R.Prepare();
    ASSERT_TRUE(WaitUntil([&] { return Loaded.count() == 2; }, 60000));
    EXPECT_EQ(R.State(), TReference::TState::Failed) << "the damaged file's result, not FreeDict's";
}

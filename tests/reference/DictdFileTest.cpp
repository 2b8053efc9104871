// The dictd files: index lines, dictzip chunks, plain and whole-gzip data, and files that are
// damaged, cut short or not dictd at all.
#include "ReferenceFixtures.h"

#include "reference/TDictdFile.h"
#include "reference/TReferenceDictionary.h"

#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

void WriteFile(const QString& Path, const QByteArray& Bytes)
{
    QFile F(Path);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly | QIODevice::Truncate));
    F.write(Bytes);
}

QByteArray ReadFile(const QString& Path)
{
    QFile F(Path);
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

// A long entry: many numbered senses, far more than one dictzip chunk (about 58 KB).
QString HugeText()
{
    QString Text = QStringLiteral("huge //hjuːdʒ// <adj>\n");
    for (int I = 1; I <= 4000; ++I)
        Text += QStringLiteral("%1. огромен %1, грамаден\nvery large, sense number %1\n").arg(I);
    return Text;
}

const QList<TDictdFixture::TArticle>& Articles()
{
    static const QList<TDictdFixture::TArticle> List = {
        {"house", "house //haʊs// <n>\n1. къ́ща, къща\nhuman abode\n2. дом\nhome"},
        {"house", "house //haʊz// <v>\nпомещавам\nkeep within a structure"},
        {"huge", HugeText()},
        {"run", "run //rʌn// <v>\nтичам\nto move fast"},
    };
    return List;
}

} // namespace

TEST(DictdIndex, NumbersInDictdsBase64)
{
    const struct
    {
        const char* Field;
        bool Valid;
        uint64_t Value;
    } Cases[] = {
        {"A", true, 0},        {"B", true, 1},          {"/", true, 63},
        {"BA", true, 64},      {"HMx4", true, 1887352}, {"FO", true, 334},
        {"", false, 0},        {"B=", false, 0},        {"AAAAAAAAAAA", false, 0},
        {"-1", false, 0},      {"é", false, 0},
    };
    for (const auto& C : Cases) {
        uint64_t Value = 12345;
        EXPECT_EQ(TDictdIndex::DecodeNumber(QByteArray(C.Field), &Value), C.Valid) << C.Field;
        if (C.Valid) {
            EXPECT_EQ(Value, C.Value) << C.Field;
        }
    }
}

TEST(DictdData, EntriesReadThroughTheChunkTableMatchDictzipsOwnReading)
{
    const QString Index = FreeDictIndex();
    TDictdIndex I;
    QString Error;
    ASSERT_TRUE(I.Load(Index, &Error)) << Error.toStdString();
    EXPECT_GT(I.Count(), 30000u);
    // house is listed twice (noun and verb), in the file's order.
    const auto House = I.Find(QStringLiteral("House"));
    ASSERT_EQ(House.size(), 2u);
    EXPECT_LT(House[0].Offset, House[1].Offset);

    TDictdData D;
    const QString Data = TReferenceDictionary::DataPathFor(Index);
    ASSERT_TRUE(D.Open(Data, &Error)) << Error.toStdString();
    EXPECT_TRUE(D.IsDictzip());
    // Entries spread over the file, the first and the last among them, read in a random order
    // (the chunk cache must not return a wrong chunk), each compared with dictzip's reading.
    const uint32_t Seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE("seed " + std::to_string(Seed));
    QRandomGenerator Random(Seed);
    QStringList Words = {"a", "house", "ubiquitous", "light", "zoology"};
    for (int K = 0; K < 6; ++K)
        Words.append(Words[Random.bounded(Words.size())]);
    for (const QString& W : Words) {
        for (const auto& E : I.Find(W)) {
            QByteArray Text;
            ASSERT_TRUE(D.Read(E.Offset, E.Length, &Text, &Error)) << Error.toStdString();
            const QByteArray Expected = RunTool(
                "dictzip", {"-d", "-c", "-s", QString::number(E.Offset), "-e",
                            QString::number(E.Length), Data});
            EXPECT_EQ(Text, Expected) << W.toStdString();
        }
    }
}

TEST(DictdData, PlainDictzipAndWholeGzipFilesGiveTheSameEntries)
{
    TDictdFixture F;
    ASSERT_TRUE(F.Dir.isValid());
    const QString Index = F.Make("t", Articles(), false);
    const QByteArray Plain = ReadFile(F.Path("t.dict"));
    ASSERT_FALSE(Plain.isEmpty());
    RunTool("dictzip", {"-k", "t.dict"}, {}, F.Dir.path());
    WriteFile(F.Path("whole.dict.gz"), RunTool("gzip", {"-c", "-9", "t.dict"}, {}, F.Dir.path()));

    TDictdIndex I;
    QString Error;
    ASSERT_TRUE(I.Load(Index, &Error)) << Error.toStdString();
    const auto Huge = I.Find("huge");
    ASSERT_EQ(Huge.size(), 1u);
    ASSERT_GT(Huge[0].Length, 3 * 64 * 1024u) << "the huge entry spans several chunks";
    ASSERT_EQ(I.Find("house").size(), 2u);

    for (const char* File : {"t.dict", "t.dict.dz", "whole.dict.gz"}) {
        SCOPED_TRACE(File);
        TDictdData D;
        ASSERT_TRUE(D.Open(F.Path(File), &Error)) << Error.toStdString();
        EXPECT_EQ(D.IsDictzip(), QByteArray(File) == "t.dict.dz");
        for (const char* Word : {"run", "huge", "house"}) {
            for (const auto& E : I.Find(Word)) {
                QByteArray Text;
                ASSERT_TRUE(D.Read(E.Offset, E.Length, &Text, &Error)) << Error.toStdString();
                EXPECT_EQ(Text, Plain.mid(E.Offset, E.Length)) << Word;
            }
        }
    }
}

TEST(DictdData, DamagedAndForeignFilesAreRefusedWithOneMessage)
{
    TDictdFixture F;
    ASSERT_TRUE(F.Dir.isValid());
    const QString Index = F.Make("t", Articles());
    const QByteArray GoodIndex = ReadFile(Index);
    const QByteArray Dz = ReadFile(F.Path("t.dict.dz"));
    ASSERT_GT(Dz.size(), 1000);

    // A copy of the dictionary with the index or the data replaced.
    int Copy = 0;
    auto Variant = [&](const QByteArray& IndexBytes, const QByteArray& DataBytes) {
        const QString Base = F.Path(QStringLiteral("v%1").arg(++Copy));
        WriteFile(Base + ".index", IndexBytes);
        WriteFile(Base + ".dict.dz", DataBytes);
        return Base + ".index";
    };
    QByteArray BadLine = GoodIndex;
    BadLine.replace("\nrun\t", "\nrun\t!!");
    QByteArray Corrupt = Dz;
    for (qsizetype K = Dz.size() / 2; K < Dz.size() / 2 + 64; ++K)
        Corrupt[K] = static_cast<char>(Corrupt[K] ^ 0x5A);
    QByteArray Beyond = GoodIndex; // run's entry far beyond the data's end
    const qsizetype Run = Beyond.indexOf("\nrun\t") + 5;
    Beyond.replace(Run, Beyond.indexOf('\t', Run) - Run, "/////");
    const struct
    {
        const char* Name;
        QString Index;
        const char* Message;
    } Cases[] = {
        {"index line damaged", Variant(BadLine, Dz), "line"},
        {"index not text", Variant(QByteArray(4000, '\xff'), Dz), "line 1"},
        {"index empty", Variant({}, Dz), "no headwords"},
        {"data cut short", Variant(GoodIndex, Dz.left(Dz.size() / 2)), "cut short"},
        {"data header cut", Variant(GoodIndex, Dz.left(11)), "damaged"},
        {"index beyond data", Variant(Beyond, Dz), "shorter than its index"},
        {"data missing", F.Path("nothing.index"), "does not exist"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TReferenceDictionary R;
        QString Error;
        EXPECT_FALSE(R.Open(C.Index, &Error));
        EXPECT_TRUE(Error.contains(QLatin1String(C.Message))) << Error.toStdString();
    }

    // Corrupt compressed bytes are found when the chunk is read: that look-up says so.
    TReferenceDictionary R;
    QString Error;
    ASSERT_TRUE(R.Open(Variant(GoodIndex, Corrupt), &Error)) << Error.toStdString();
    const TReferenceResult Result = R.LookUp("huge");
    EXPECT_FALSE(Result.Found());
    EXPECT_TRUE(Result.Error.contains("does not inflate")) << Result.Error.toStdString();
    EXPECT_TRUE(R.LookUp("house").Found()) << "the first chunk is sound";
}

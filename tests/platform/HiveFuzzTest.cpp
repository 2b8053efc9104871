#include "tests/support/FuzzSeed.h"
#include "platform/TRegFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <random>

namespace {

const char* const Seeds[] = {
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver]\r\n"
    "\"EnglishColor\"=dword:00ff0000\r\n"
    "\"DataFile\"=\"C:\\\\Words \\\"old\\\"\\\\english.mdb\"\r\n"
    "@=\"Речник\"\r\n"
    "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
    "  15,16,17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n"
    "[-HKEY_CURRENT_USER\\Gone]\r\n"
    "[HKEY_CURRENT_USER\\Empty]\r\n\"x\"=-\r\n; note\r\n",
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
    "\"Vexlo Vocabulary 2007\"=\"\\\"/opt/My Apps/vexlo\\\" startup\"\n"
    "\"L\"=hex(7):61,00,62,00,00\n\"E\"=hex(2):25,54,25,00\n",
};

const char* const Tokens[] = {"[",
                              "]",
                              "\"",
                              "\\",
                              "=",
                              "@",
                              "-",
                              ",",
                              ":",
                              ";",
                              "\r\n",
                              "\n",
                              "\r",
                              "dword:",
                              "hex:",
                              "hex(",
                              ")",
                              "hex(2):",
                              "ff",
                              "0",
                              " ",
                              "\t",
                              "HKEY_LOCAL_MACHINE",
                              "\\\r\n  ",
                              "\xFF\xFE",
                              "\xEF\xBB\xBF",
                              "\x00",
                              "\xC3",
                              "REGEDIT4\n",
                              "Windows Registry Editor Version 5.00\n"};

QByteArray Utf16(const QByteArray& Utf8)
{
    QStringEncoder Encoder(QStringEncoder::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(Encoder(QString::fromUtf8(Utf8)));
}

QByteArray Mutate(QByteArray Data, std::mt19937& Rng)
{
    std::uniform_int_distribution<int> Kind(0, 5);
    const int Steps = 1 + static_cast<int>(Rng() % 8);
    for (int S = 0; S < Steps; ++S) {
        const qsizetype Pos =
            Data.isEmpty() ? 0 : static_cast<qsizetype>(Rng() % (Data.size() + 1));
        switch (Kind(Rng)) {
        case 0: // flip a byte
            if (Pos < Data.size())
                Data[Pos] = static_cast<char>(Rng());
            break;
        case 1: // insert a random byte
            Data.insert(Pos, static_cast<char>(Rng()));
            break;
        case 2: { // cut a stretch
            const qsizetype Len = static_cast<qsizetype>(Rng() % 16);
            Data.remove(Pos, Len);
            break;
        }
        case 3: { // insert a token of the format
            const char* T = Tokens[Rng() % std::size(Tokens)];
            Data.insert(Pos, QByteArray(T, T[0] ? qstrlen(T) : 1));
            break;
        }
        case 4: { // repeat a stretch
            const QByteArray Piece = Data.mid(Pos, static_cast<qsizetype>(Rng() % 64));
            Data.insert(static_cast<qsizetype>(Rng() % (Data.size() + 1)), Piece);
            break;
        }
        default: // truncate
            Data.truncate(Pos);
            break;
        }
    }
    return Data;
}

// Whatever is read, writing it gives a file that reads back as the same keys, cleanly.
void CheckOne(const QByteArray& Input)
{
    const TRegFile File = TRegFile::Parse(Input);
    const QByteArray Written = File.Serialize();
    const TRegFile Again = TRegFile::Parse(Written);
    if (Again.Keys != File.Keys || !Again.Lossless) {
        QFile Out(QDir::temp().filePath(QStringLiteral("fuzz_hive-failure.reg")));
        if (Out.open(QIODevice::WriteOnly))
            Out.write(Input);
    }
    ASSERT_TRUE(Again.Lossless) << Input.toHex().constData();
    ASSERT_EQ(Again.Keys, File.Keys) << Input.toHex().constData();
    ASSERT_EQ(Again.Serialize(), Written);
}

} // namespace

TEST(HiveFuzz, RandomMutationsRoundTrip)
{
    QList<QByteArray> Corpus;
    for (const char* S : Seeds) {
        Corpus << QByteArray(S) << Utf16(S);
    }
    const unsigned Seed = FuzzSeed();
    SCOPED_TRACE(testing::Message() << "VEXLO_FUZZ_SEED=" << Seed);
    std::mt19937 Rng(Seed);
    int Runs = 0;
    while (Runs < 100000) {
        QByteArray Input = Mutate(Corpus[Rng() % Corpus.size()], Rng);
        CheckOne(Input);
        if (testing::Test::HasFatalFailure())
            return;
        // Keep some mutants as new starting points.
        if (Rng() % 50 == 0 && Corpus.size() < 400 && Input.size() < 8192)
            Corpus << Input;
        ++Runs;
    }
    std::uniform_int_distribution<int> Byte(0, 255);
    for (int I = 0; I < 2000; ++I) {
        QByteArray Noise;
        const int Len = static_cast<int>(Rng() % 512);
        for (int J = 0; J < Len; ++J)
            Noise.append(static_cast<char>(Byte(Rng)));
        CheckOne(Noise);
        if (testing::Test::HasFatalFailure())
            return;
    }
}

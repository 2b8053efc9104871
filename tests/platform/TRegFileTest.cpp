#include "platform/TRegFile.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

const char* const Sample =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver]\r\n"
    "\"EnglishColor\"=dword:00ff0000\r\n"
    "\"DataFile\"=\"C:\\\\Words \\\"old\\\"\\\\english.mdb\"\r\n"
    "\"Title\"=\"Речник\"\r\n"
    "@=\"default\"\r\n"
    "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    "  16,17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Empty]\r\n";

QByteArray Utf16WithBom(const QString& Text)
{
    QStringEncoder Encoder(QStringEncoder::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(Encoder(Text));
}

QByteArray Bytes(std::initializer_list<int> List)
{
    QByteArray Out;
    for (int B : List)
        Out.append(static_cast<char>(B));
    return Out;
}

} // namespace

TEST(TRegFileTest, ReadsEveryForm)
{
    const TRegFile File = TRegFile::Parse(QByteArray(Sample));
    EXPECT_TRUE(File.Lossless);
    ASSERT_EQ(File.Keys.size(), 2);
    const TRegKey* K =
        File.FindKey(QStringLiteral("hkey_local_machine\\SOFTWARE\\norvane\\screensaver"));
    ASSERT_NE(K, nullptr);
    EXPECT_EQ(K->FindValue(QStringLiteral("englishcolor"))->Data, TRegData::FromDword(0xFF0000));
    EXPECT_EQ(TRegData::ToString(K->FindValue(QStringLiteral("DataFile"))->Data),
              QStringLiteral("C:\\Words \"old\"\\english.mdb"));
    EXPECT_EQ(TRegData::ToString(K->FindValue(QStringLiteral("Title"))->Data),
              QStringLiteral("Речник"));
    EXPECT_EQ(K->FindValue(QString())->Type, REG_SZ);
    const TRegValue* Path = K->FindValue(QStringLiteral("Path"));
    EXPECT_EQ(Path->Type, REG_EXPAND_SZ);
    EXPECT_EQ(TRegData::ToString(Path->Data), QStringLiteral("%TEMP%"));
    const TRegValue* Blob = K->FindValue(QStringLiteral("Blob"));
    EXPECT_EQ(Blob->Type, REG_BINARY);
    ASSERT_EQ(Blob->Data.size(), 33);
    EXPECT_EQ(Blob->Data[32], 0x20);
    EXPECT_EQ(K->FindValue(QStringLiteral("Big"))->Type, REG_QWORD);
    EXPECT_TRUE(File.KeyExists(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Norvane")));
    EXPECT_FALSE(File.KeyExists(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Norv")));
}

TEST(TRegFileTest, WritesWhatItReads)
{
    const TRegFile File = TRegFile::Parse(QByteArray(Sample));
    const QByteArray Written = File.Serialize();
    EXPECT_EQ(Written, QByteArray(Sample));
    const TRegFile Again = TRegFile::Parse(Written);
    EXPECT_TRUE(Again.Lossless);
    EXPECT_EQ(Again.Keys, File.Keys);
}

TEST(TRegFileTest, ReadsUtf16AndCarriageReturnFreeFiles)
{
    const TRegFile Utf8 = TRegFile::Parse(QByteArray(Sample));
    const TRegFile Utf16 = TRegFile::Parse(Utf16WithBom(QString::fromUtf8(Sample)));
    EXPECT_TRUE(Utf16.Lossless);
    EXPECT_EQ(Utf16.Keys, Utf8.Keys);
    const TRegFile Bom8 =
        TRegFile::Parse("\xEF\xBB\xBF" + QByteArray(Sample).replace("\r\n", "\n"));
    EXPECT_TRUE(Bom8.Lossless);
    EXPECT_EQ(Bom8.Keys, Utf8.Keys);
}

TEST(TRegFileTest, ReadsRegedit4WithEightBitStrings)
{
    const TRegFile File = TRegFile::Parse("REGEDIT4\r\n\r\n"
                                          "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver]\r\n"
                                          "\"DataFile\"=\"D:\\\\words.mdb\"\r\n"
                                          "\"Path\"=hex(2):25,54,45,4d,50,25,00\r\n"
                                          "\"List\"=hex(7):61,00,62,00,00\r\n"
                                          "\"Wall\"=dword:00000002\r\n");
    EXPECT_TRUE(File.Lossless);
    const TRegKey* K =
        File.FindKey(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver"));
    ASSERT_NE(K, nullptr);
    EXPECT_EQ(TRegData::ToString(K->FindValue(QStringLiteral("DataFile"))->Data),
              QStringLiteral("D:\\words.mdb"));
    EXPECT_EQ(K->FindValue(QStringLiteral("Path"))->Data,
              TRegData::FromString(QStringLiteral("%TEMP%")));
    EXPECT_EQ(K->FindValue(QStringLiteral("List"))->Data,
              Bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
    EXPECT_EQ(K->FindValue(QStringLiteral("Wall"))->Data, TRegData::FromDword(2));
}

// Bad lines are skipped, the good ones around them kept, and the file marked for a backup.
TEST(TRegFileTest, SkipsWhatItCannotRead)
{
    struct TCase
    {
        const char* Name;
        QByteArray Text;
        int GoodValues; // values read into HKEY_LOCAL_MACHINE\A
    };
    const QByteArray Head =
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"Good\"=dword:1\n";
    const TCase Cases[] = {
        {"garbage line", Head + "this is not a value\n\"Also\"=\"x\"\n", 2},
        {"unterminated string", Head + "\"S\"=\"abc\n", 1},
        {"text after string", Head + "\"S\"=\"abc\" junk\n", 1},
        {"dword too long", Head + "\"N\"=dword:123456789\n", 1},
        {"dword not hex", Head + "\"N\"=dword:12x4\n", 1},
        {"bad hex byte", Head + "\"B\"=hex:01,2g\n", 1},
        {"hex byte too wide", Head + "\"B\"=hex:01,234\n", 1},
        {"hex type unclosed", Head + "\"B\"=hex(2:01\n", 1},
        {"unknown data form", Head + "\"Q\"=qword:1\n", 1},
        {"missing equals", Head + "\"Q\" dword:1\n", 1},
        {"key not closed", Head + "[HKEY_LOCAL_MACHINE\\B\n\"Orphan\"=dword:1\n", 1},
        {"unknown root", Head + "[HKLM\\B]\n\"Orphan\"=dword:1\n", 1},
        {"value deletion", Head + "\"Good\"=-\n", 0},
        {"comment", Head + "; a note\n", 1},
        {"stray carriage return", Head + "\"C\"=\"a\rb\"\n", 1},
        {"continuation into a value", Head + "\"B\"=hex:01,\\\n\"C\"=dword:1\n", 1},
        {"not utf-8", Head + "\"S\"=\"\xE0\xFF\"\n", 2},
        {"no header", QByteArray(Head).remove(0, 37) + "\"S\"=\"x\"\n", 2},
        {"values before a key",
         "Windows Registry Editor Version 5.00\n\"X\"=dword:1\n" + Head.mid(37), 1},
        {"binary junk", QByteArray("\x00\x01\xFF\xFE[\x80]", 8), -1},
        {"utf-16 unpaired surrogate",
         Utf16WithBom(QString::fromUtf8(Head) + QStringLiteral("\"S\"=\"a") + QChar(0xDE72) +
                      QStringLiteral("\"\n")),
         2},
        {"utf-16 odd length", Utf16WithBom(QString::fromUtf8(Head)) + "x", 1},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        const TRegFile File = TRegFile::Parse(C.Text);
        EXPECT_FALSE(File.Lossless);
        const TRegKey* K = File.FindKey(QStringLiteral("HKEY_LOCAL_MACHINE\\A"));
        if (C.GoodValues < 0) {
            EXPECT_EQ(K, nullptr);
            continue;
        }
        ASSERT_NE(K, nullptr);
        EXPECT_EQ(K->Values.size(), C.GoodValues);
        EXPECT_EQ(File.FindKey(QStringLiteral("HKEY_LOCAL_MACHINE\\B")), nullptr);
        // Whatever was read is written so that it reads back the same and clean.
        const TRegFile Again = TRegFile::Parse(File.Serialize());
        EXPECT_TRUE(Again.Lossless);
        EXPECT_EQ(Again.Keys, File.Keys);
    }
    const TRegFile Empty = TRegFile::Parse(QByteArray());
    EXPECT_TRUE(Empty.Lossless);
    EXPECT_TRUE(Empty.Keys.isEmpty());
}

// A string that a quoted form would change is kept byte for byte.
TEST(TRegFileTest, KeepsStringsThatCannotBeQuoted)
{
    const QByteArray Cases[] = {
        TRegData::FromString(QStringLiteral("two\r\nlines")),
        Bytes({'a', 0, 0, 0, 'b', 0, 0, 0}), // embedded NUL
        Bytes({'a', 0, 'b', 0}),             // no closing NUL
        Bytes({'a', 0, 'b'}),                // odd length
        QByteArray(),
        Bytes({0x00, 0xD8, 0, 0}), // unpaired surrogate
    };
    for (const QByteArray& Data : Cases) {
        TRegFile File;
        File.SetValue(QStringLiteral("HKEY_LOCAL_MACHINE\\K"),
                      TRegValue{QStringLiteral("S"), REG_SZ, Data});
        const TRegFile Again = TRegFile::Parse(File.Serialize());
        EXPECT_TRUE(Again.Lossless);
        EXPECT_EQ(Again.Keys, File.Keys) << Data.toHex().constData();
    }
}

TEST(TRegFileTest, NamesCompareWithoutCase)
{
    TRegFile File = TRegFile::Parse("Windows Registry Editor Version 5.00\n"
                                    "[HKEY_LOCAL_MACHINE\\Soft]\n\"Left\"=dword:1\n"
                                    "[hkey_local_machine\\SOFT]\n\"LEFT\"=dword:2\n");
    ASSERT_EQ(File.Keys.size(), 1);
    ASSERT_EQ(File.Keys[0].Values.size(), 1);
    EXPECT_EQ(File.Keys[0].Values[0].Name, QStringLiteral("Left"));
    EXPECT_EQ(File.Keys[0].Values[0].Data, TRegData::FromDword(2));
    EXPECT_TRUE(
        File.DeleteValue(QStringLiteral("HKEY_LOCAL_MACHINE\\soft"), QStringLiteral("left")));
    EXPECT_FALSE(
        File.DeleteValue(QStringLiteral("HKEY_LOCAL_MACHINE\\soft"), QStringLiteral("left")));
}

// Deletion entries and keys that come back later: what is left, in what order.
TEST(TRegFileTest, DeletionsAndRepeatedKeysKeepFileOrder)
{
    struct TCase
    {
        const char* Name;
        const char* Body;
        const char* Expected; // "Key: names" per key, in order
    };
    const TCase Cases[] = {
        {"value deleted, then set again goes last",
         "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n\"y\"=dword:2\n\"X\"=-\n\"x\"=dword:3\n",
         "A: y x"},
        {"value deleted twice, and one never there",
         "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n"
         "\"x\"=-\n\"x\"=-\n\"z\"=-\n\"y\"=dword:2\n",
         "A: y"},
        {"key tree deleted, then one of it added again",
         "[HKEY_CURRENT_USER\\A]\n\"a\"=dword:1\n[HKEY_CURRENT_USER\\A\\B]\n\"b\"=dword:1\n"
         "[HKEY_CURRENT_USER\\C]\n\"c\"=dword:1\n[-hkey_current_user\\a]\n"
         "[HKEY_CURRENT_USER\\a\\b]\n\"n\"=dword:1\n",
         "C: c | a\\b: n"},
        {"a key repeated gathers its values",
         "[HKEY_CURRENT_USER\\A]\n\"a\"=dword:1\n[HKEY_CURRENT_USER\\B]\n\"b\"=dword:1\n"
         "[HKEY_CURRENT_USER\\a]\n\"A\"=dword:2\n\"c\"=dword:1\n",
         "A: a c | B: b"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        const TRegFile File =
            TRegFile::Parse(QByteArray("Windows Registry Editor Version 5.00\n") + C.Body);
        QStringList Seen;
        for (const TRegKey& K : File.Keys) {
            QStringList Names;
            for (const TRegValue& V : K.Values)
                Names << V.Name;
            Seen << K.Path.mid(QStringLiteral("HKEY_CURRENT_USER\\").size()) + ": " +
                        Names.join(' ');
        }
        EXPECT_EQ(Seen.join(" | ").toStdString(), C.Expected);
    }
}

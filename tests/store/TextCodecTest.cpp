#include "store/TextCodec.h"

#include <gtest/gtest.h>

TEST(TextCodecTest, NarrowingKeepsCyrillicAndIpaInUtf8)
{
    const QString Text = QString::fromUtf8("ябълка ˈæpl");
    EXPECT_EQ(TextCodec::NarrowText(Text), QByteArray("ябълка ˈæpl"));
    EXPECT_EQ(TextCodec::WidenText(TextCodec::NarrowText(Text)), Text);
}

TEST(TextCodecTest, TrimRemovesCodesUpToSpaceAtBothEnds)
{
    EXPECT_EQ(TextCodec::TrimControls(QByteArray("\t\x01  ap ple \r\n")), QByteArray("ap ple"));
    EXPECT_EQ(TextCodec::TrimControls(QByteArray(" \t ")), QByteArray());
    EXPECT_EQ(TextCodec::TrimControls(QString("\x1f x\x7f ")), QString("x\x7f"));
}

TEST(TextCodecTest, DropLastCharacterNeverBreaksASequence)
{
    EXPECT_EQ(TextCodec::DropLastCharacter("abc"), QByteArray("ab"));
    EXPECT_EQ(TextCodec::DropLastCharacter("caf\xc3\xa9"), QByteArray("caf"));
    EXPECT_EQ(TextCodec::DropLastCharacter("\xe2\x82\xac"), QByteArray());
    EXPECT_EQ(TextCodec::DropLastCharacter(""), QByteArray());
}

#include "reports/TReportPages.h"

#include "reports/TPageBlocks.h"

#include <QBuffer>

#include "TReportFixture.h"

#include "store/TVexloTable.h"

#include <gtest/gtest.h>

namespace {

std::string S(const QByteArray& Bytes)
{
    return Bytes.toStdString();
}

// Every line of a page ends in CR LF, the last one too, and no line holds a lone CR or LF.
void ExpectCrLfLines(const QByteArray& Page)
{
    ASSERT_TRUE(Page.endsWith("\r\n"));
    for (qsizetype I = 0; I < Page.size(); ++I) {
        if (Page[I] == '\n') {
            ASSERT_TRUE(I > 0 && Page[I - 1] == '\r') << "lone LF at " << I;
        }
        if (Page[I] == '\r') {
            ASSERT_TRUE(I + 1 < Page.size() && Page[I + 1] == '\n') << "lone CR at " << I;
        }
    }
}

QByteArray Head()
{
    return "<html>\r\n<head>\r\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=win-1251\">\r\n"
           "<title>Report</title>\r\n</head>\r\n<body scroll=auto bgcolor=\"#CCCCCC\">\r\n";
}

QByteArray Tail()
{
    return "<hr>\r\n" + FooterLine() + "\r\n</body>\r\n</html>\r\n";
}

QByteArray Row(const char* Colour, const QByteArray& Word, const QByteArray& Trans,
               const QByteArray& Bulg)
{
    const QByteArray C = Colour;
    return "<table width=\"100%\" cellspacing=\"0\">\r\n<tr>\r\n<td width=\"200\" bgcolor=\"" + C +
           "\" valign=\"top\"><font size = \"3\"><b>\r\n" + Word +
           "\r\n</b></font></td>\r\n<td width=\"150\" bgcolor=\"" + C +
           "\" valign=\"top\"><b><font size = \"2\" face = \"Lucida Sans Unicode\" color = "
           "\"#800000\">\r\n" +
           (Trans.isEmpty() ? QByteArray() : Trans + "\r\n") +
           "</font></b></td>\r\n<td align=\"left\" bgcolor=\"" + C +
           "\" valign=\"top\"><font size = \"3\">\r\n" + Bulg +
           "\r\n</font></td>\r\n</tr>\r\n</table>\r\n";
}

QByteArray Heading(const QByteArray& Letter)
{
    return "<h2><b><font color = \"red\">" + Letter + "</font></b></h2>\r\n";
}

TEST(EncodeChar, WritesDecimalReferencesExceptTheModifierGrave)
{
    const struct
    {
        char16_t C;
        const char* Expected;
    } Cases[] = {
        {u'a', "&#97;"},
        {u'\0', "&#0;"},
        {u'\u0434', "&#1076;"},
        {u'\u02CB', "`"},
        {u'\u02CA', "&#714;"},
        {u'&', "&#38;"},
        {char16_t(0xFFFF), "&#65535;"},
        {char16_t(0xD83D), "&#55357;"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(S(EncodeChar(Case.C)), Case.Expected) << int(Case.C);
}

TEST(EncodeText, JoinsTrimmedLinesWithCommas)
{
    const struct
    {
        QString Text;
        const char* Expected;
    } Cases[] = {
        {QString(), ""},
        {QStringLiteral("дума\r\nслово"),
         "&#1076;&#1091;&#1084;&#1072;, &#1089;&#1083;&#1086;&#1074;&#1086;"},
        {QStringLiteral("  ab\t"), "&#97;&#98;"},
        {QStringLiteral("a b"), "&#97;&#32;&#98;"},
        {QStringLiteral("a\r\n"), "&#97;"},
        // An empty line in the middle adds nothing, not even a comma.
        {QStringLiteral("a\r\n\r\nb"), "&#97;, &#98;"},
        // An empty last line still leaves the comma after the line before it.
        {QStringLiteral("a\n\r"), "&#97;, "},
        {QStringLiteral("\r\n"), ""},
        {QStringLiteral("x\u02CBy"), "&#120;`&#121;"},
        // Outside the Basic Multilingual Plane: one reference per surrogate.
        {QString::fromUcs4(U"\U0001F600"), "&#55357;&#56832;"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(S(EncodeText(Case.Text)), Case.Expected) << Case.Text.toStdString();
}

TEST(EscapeHtml, EscapesMarkupCharactersOnly)
{
    EXPECT_EQ(S(EscapeHtml("R&D <lab> \"x\" 'y' \xC3\xA9")),
              "R&amp;D &lt;lab&gt; &quot;x&quot; 'y' \xC3\xA9");
}

TEST(PreviewPageBuilder, HeadingsAndRowColours)
{
    // apple, Apricot, banana: headings A and B; white then grey under A, white again under B.
    TPreviewPageBuilder Builder;
    Builder.AddEntry("apple", QString(), QString());
    Builder.AddEntry("Apricot", QString(), QString());
    Builder.AddEntry("banana", QString(), QString());
    const QByteArray Expected = Head() + Heading("A") + Row("white", "apple", "", "") +
                                Row("#EEEEEE", "Apricot", "", "") + Heading("B") +
                                Row("white", "banana", "", "") + Tail();
    const QByteArray Page = Builder.Finish();
    EXPECT_EQ(S(Page), S(Expected));
    ExpectCrLfLines(Page);
}

TEST(PreviewPageBuilder, RowColoursKeepAlternatingUnderOneHeading)
{
    TPreviewPageBuilder Builder;
    for (const char* Word : {"a1", "A2", "a3", "b1"})
        Builder.AddEntry(Word, QString(), QString());
    const QByteArray Page = Builder.Finish();
    const QByteArray Expected = Head() + Heading("A") + Row("white", "a1", "", "") +
                                Row("#EEEEEE", "A2", "", "") + Row("white", "a3", "", "") +
                                Heading("B") + Row("white", "b1", "", "") + Tail();
    EXPECT_EQ(S(Page), S(Expected));
}

TEST(PreviewPageBuilder, CellTexts)
{
    const struct
    {
        QByteArray Word;
        QString Trans;
        QString Bulg;
        QByteArray Heading;
        QByteArray Row;
    } Cases[] = {
        // The opening bracket stays plain, the closing one is encoded with the text.
        {"ab", QStringLiteral("ab"), QString(), "A", Row("white", "ab", "[&#97;&#98;&#93;", "")},
        {"grave", QStringLiteral("\u02CBa"), QStringLiteral("x"), "G",
         Row("white", "grave", "[`&#97;&#93;", "&#120;")},
        // A non-ASCII first letter heads its own group, its case unchanged.
        {"\xC3\x89lan", QString(), QString(), "\xC3\x89", Row("white", "\xC3\x89lan", "", "")},
        // Stored words never change the page's structure.
        {"<b>&amp", QString(), QString(), "&lt;", Row("white", "&lt;b&gt;&amp;amp", "", "")},
        {"\"q\"", QString(), QString(), "&quot;", Row("white", "&quot;q&quot;", "", "")},
        {"9 lives", QString(), QStringLiteral("a\r\nb"), "9",
         Row("white", "9 lives", "", "&#97;, &#98;")},
    };
    for (const auto& Case : Cases) {
        TPreviewPageBuilder Builder;
        Builder.AddEntry(Case.Word, Case.Trans, Case.Bulg);
        EXPECT_EQ(S(Builder.Finish()), S(Head() + Heading(Case.Heading) + Case.Row + Tail()))
            << Case.Word.toStdString();
    }
}

TEST(PreviewPageBuilder, NonAsciiLettersAreNotFoldedTogether)
{
    TPreviewPageBuilder Builder;
    Builder.AddEntry("\xC3\xA9t\xC3\xA9", QString(), QString());
    Builder.AddEntry("\xC3\x89lan", QString(), QString());
    Builder.AddEntry("\xC3\x89"
                     "cole",
                     QString(), QString());
    const QByteArray Page = Builder.Finish();
    EXPECT_EQ(Page.count("<h2>"), 2);
    EXPECT_TRUE(Page.contains(Heading("\xC3\xA9")));
    EXPECT_TRUE(Page.contains(Heading("\xC3\x89") + Row("white", "\xC3\x89lan", "", "") +
                              Row("#EEEEEE",
                                  "\xC3\x89"
                                  "cole",
                                  "", "")));
}

TEST(StatisticsPage, FiguresGoIntoTheirLines)
{
    TStatisticsFigures Figures;
    Figures.Counts = {1, 0, 0, 0, 0, 0, 0, 0, 0, 7};
    Figures.Total = 9;
    Figures.DataFile = "english.mdb";
    Figures.LastWord = "a<b&c";
    const QByteArray Page = BuildStatisticsPage(Figures);
    ExpectCrLfLines(Page);
    const QList<QByteArray> Lines = Page.split('\n');
    ASSERT_EQ(Lines.size(), 32); // 31 lines and the empty rest after the last line end
    EXPECT_EQ(S(Lines[12]), "<td valign=\"middle\" align=\"left\" bgcolor=#FFFFE2>&nbsp;<font "
                            "size=\"2\"><b>9</b>\r");
    EXPECT_EQ(S(Lines[14]), "<tr><td valign=\"middle\" align=\"right\" bgcolor=\"#FFFFE2\"><font "
                            "size=\"2\">0</font>&nbsp;</td><td valign=\"middle\" align=\"left\" "
                            "bgcolor=\"#FFFFE2\">&nbsp;<font size=\"2\">1</font></td></tr>\r");
    EXPECT_EQ(S(Lines[23]), "<tr><td valign=\"middle\" align=\"right\" bgcolor=\"#FF4E4E\"><font "
                            "size=\"2\">9</font>&nbsp;</td><td valign=\"middle\" align=\"left\" "
                            "bgcolor=\"#FF4E4E\">&nbsp;<font size=\"2\">7</font></td></tr>\r");
    EXPECT_EQ(S(Lines[25]), "<p><font size=\"2\"><b>DataBase File</b> english.mdb</font></p>\r");
    EXPECT_EQ(S(Lines[26]), "<p><font size=\"2\"><b>Last filled word <font color=\"red\">"
                            "a&lt;b&amp;c</font></b></font></p>\r");
    EXPECT_EQ(S(Lines[28]), S(FooterLine()) + "\r");
}

// Pages built from a real data file through the store and a table of its own.
TEST(ReportPagesFromStore, GoldenPages)
{
    TReportFixture Fixture(GoldenDictionary());
    TVexloTable Table(Fixture.Store->ADOConnection);
    Table.Open();
    const QByteArray Statistics = BuildStatisticsPage(*ScreenSaverDataModule, Table, QStringLiteral("english.mdb"));
    ExpectCrLfLines(Statistics);
    ExpectGolden(Statistics, "statistics.html");
    const QByteArray Preview = BuildPreviewPage(Table, {});
    ExpectCrLfLines(Preview);
    ExpectGolden(Preview, "preview.html");
}

TEST(ReportPagesFromStore, LevelOutsideTheRowsCountsOnlyInTheTotal)
{
    TReportFixture Fixture({Entry("a", "", 12, ""), Entry("b", "", 3, ""), Entry("c", "", 3, "")});
    TVexloTable Table(Fixture.Store->ADOConnection);
    Table.Open();
    const QByteArray Page = BuildStatisticsPage(*ScreenSaverDataModule, Table, QStringLiteral("/data/english.db"));
    EXPECT_TRUE(Page.contains(">&nbsp;<font size=\"2\"><b>3</b>\r\n"));
    int RowSum = 0;
    for (int L = 0; L < 10; ++L) {
        const QByteArray Needle =
            "bgcolor=\"" + QByteArray(LevelColors[L]) + "\">&nbsp;<font size=\"2\">";
        const qsizetype At = Page.indexOf(Needle);
        ASSERT_GE(At, 0);
        RowSum += Page.mid(At + Needle.size()).split('<').first().toInt();
    }
    EXPECT_EQ(RowSum, 2);
    EXPECT_TRUE(Page.contains("<b>DataBase File</b> /data/english.db</font>"));
}

TEST(ReportPagesFromStore, EmptyTable)
{
    TReportFixture Fixture({});
    TVexloTable Table(Fixture.Store->ADOConnection);
    Table.Open();
    const QByteArray Statistics = BuildStatisticsPage(*ScreenSaverDataModule, Table, QStringLiteral("english.mdb"));
    EXPECT_TRUE(Statistics.contains("<b>0</b>\r\n"));
    EXPECT_EQ(Statistics.count("\">&nbsp;<font size=\"2\">0</font></td></tr>\r\n"), 10);
    EXPECT_TRUE(Statistics.contains("<font color=\"red\"></font></b></font></p>\r\n"));
    int Calls = 0;
    const QByteArray Preview = BuildPreviewPage(Table, [&Calls](int) { return ++Calls, true; });
    EXPECT_EQ(S(Preview), S(Head() + Tail()));
    EXPECT_EQ(Calls, 1);
}

TEST(ReportPagesFromStore, StopKeepsTheEntriesDoneAndFinishesThePage)
{
    TReportFixture Fixture(GoldenDictionary());
    TVexloTable Table(Fixture.Store->ADOConnection);
    Table.Open();
    const QByteArray Full = BuildPreviewPage(Table, {});
    for (int StopAfter : {0, 1, 3, 7}) {
        QList<int> Seen;
        const QByteArray Page = BuildPreviewPage(Table, [&](int Done) {
            Seen.append(Done);
            return Done < StopAfter;
        });
        EXPECT_EQ(Page.count("<table width=\"100%\""), StopAfter);
        EXPECT_EQ(Seen.size(), StopAfter + 1);
        EXPECT_EQ(Seen.last(), StopAfter);
        EXPECT_TRUE(Page.endsWith(Tail()));
        // The stopped page is the full page cut after the last entry done.
        const QByteArray Body = Page.chopped(Tail().size());
        EXPECT_TRUE(Full.startsWith(Body)) << StopAfter;
        if (StopAfter > 0) {
            EXPECT_TRUE(Body.endsWith("</table>\r\n"));
        }
    }
}

TEST(ReportPagesFromStore, DataChangedDuringTheBuildStillListsTheTableAsOpened)
{
    TReportFixture Fixture(GoldenDictionary());
    TVexloTable Table(Fixture.Store->ADOConnection);
    Table.Open();
    const QByteArray Full = BuildPreviewPage(Table, {});
    // The table is a snapshot of the words taken when it opened; renaming every word while the
    // listing is being built (events are processed between entries) must not mix the two.
    const QByteArray Page = BuildPreviewPage(Table, [&](int Done) {
        if (Done == 2)
            Fixture.Store->ADOConnection->Execute(
                QStringLiteral("UPDATE English SET ENAME = 'x' || ENAME"));
        return true;
    });
    EXPECT_EQ(S(Page), S(Full));
}

// The blocks the report view lays out one at a time: the builder's compact page and the split of
// its bytes agree block for block, every block is whole lines, and the blocks with the head give
// the page back.
TEST(PageBlocks, BuilderAndSplitAgreeOnTheGoldenPages)
{
    TReportFixture Fixture(GoldenDictionary());
    TVexloTable Table(Fixture.Store->ADOConnection);
    Table.Open();
    const TPageBlocks Built = BuildPreviewBlocks(Table, {});
    const QByteArray Preview = Built.Page();
    ExpectGolden(Preview, "preview.html");
    EXPECT_EQ(Built.PageSize(), Preview.size());
    const TPageBlocks Split(Preview);
    EXPECT_EQ(Split.Starts(), Built.Starts());
    ASSERT_EQ(Built.Count(), Split.Count());
    for (qsizetype I = 0; I < Split.Count(); ++I)
        EXPECT_EQ(S(Built.Block(I)), S(Split.Block(I))) << I;
    EXPECT_EQ(S(Built.Head()), S(Split.Head()));
    for (qsizetype I = 0; I < Built.Count(); ++I)
        EXPECT_EQ(Built.BlockText(I), TPageBlocks::PlainText(Split.Block(I))) << I;
    QBuffer Written;
    Written.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Built.WriteTo(Written));
    EXPECT_TRUE(Written.data() == Preview);
    ASSERT_EQ(Split.Count(), 14); // six headings, seven entries, the closing part
    EXPECT_EQ(S(Split.Head()), S(Head()));
    EXPECT_EQ(S(Split.Block(0)), S(Heading("A")));
    EXPECT_TRUE(Split.Block(1).startsWith("<table width=\"100%\""));
    EXPECT_EQ(S(Split.Block(Split.Count() - 1)), S(Tail()));
    QByteArray Joined = Split.Head();
    for (qsizetype I = 0; I < Split.Count(); ++I) {
        EXPECT_TRUE(Split.Block(I).endsWith("\r\n")) << I;
        Joined += Split.Block(I);
    }
    EXPECT_EQ(Joined, Preview);
    EXPECT_EQ(Split.BodyColor(), "#CCCCCC");

    const QByteArray Statistics = BuildStatisticsPage(*ScreenSaverDataModule, Table, QStringLiteral("english.mdb"));
    const TPageBlocks Stats(Statistics);
    ASSERT_EQ(Stats.Count(), 1);
    EXPECT_EQ(Stats.BodyColor(), "#E9E9E9");
    EXPECT_EQ(Stats.Head().size() + Stats.Block(0).size(), Statistics.size());
}

TEST(PageBlocks, PagesOfOtherShapes)
{
    const struct
    {
        QByteArray Page;
        std::vector<qsizetype> Starts;
    } Cases[] = {
        {"", {}},
        {"<p>no body at all</p>", {0}},
        {"<html><body bgcolor=white>\r\n", {}},
        {"<body>\r\n<p>a</p>\r\n<h2>B</h2>\r\n<p>c</p>\r\n<p>d</p>\r\n", {8, 18, 30}},
        {"<body>\r\n<h2>B</h2>\r\n", {8}},
        {"<html><body><p>a</p></body></html>", {12}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(TPageBlocks(Case.Page).Starts(), Case.Starts) << S(Case.Page);
    EXPECT_EQ(TPageBlocks(QByteArray("<html><body bgcolor=white>\r\n")).BodyColor(), "white");
}

TEST(PageBlocks, PlainTextReadsAsTheReaderSeesIt)
{
    const struct
    {
        QByteArray Html;
        const char16_t* Text;
    } Cases[] = {
        {Row("white", "apple", "[&#97;&#98;&#93;", "&#1076;&#1091;, &#1084;"), u"apple\t[ab]\tду, м"},
        {Row("white", "R&amp;D &lt;lab&gt;", "", ""), u"R&D <lab>"},
        {Row("white", "cat", "", "&#1082;"), u"cat\t\tк"},
        {Heading("A"), u"A"},
        {"<p>one\r\n  two</p><p>three<br>four&nbsp;five</p>", u"one two\nthree\nfour five"},
        {"<title>Report</title><p>&#55357;&#56832; &#x41; &bogus; & a</p>",
         u"\U0001F600 A &bogus; & a"},
        {"<table><tr><th>Word Level</th>\r\n<th>Count</th></tr><tr><td><b>0 - 9</b>&nbsp;</td>"
         "<td>&nbsp;7</td></tr></table>",
         u"Word Level\tCount\n0 - 9\t7"},
        {Tail(), u"Vexlo Vocabulary project\nhttps://vexlo.example.org/"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(TPageBlocks::PlainText(Case.Html), QString::fromUtf16(Case.Text)) << S(Case.Html);
}

} // namespace

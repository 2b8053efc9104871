#include "reports/TReportPages.h"

#include "store/TScreenSaverDataModule.h"
#include "store/TVexloTable.h"
#include "store/TVexloWideStrings.h"
#include "store/TextCodec.h"

#include <sqlite3.h>

#include <QCoreApplication>

namespace {

const char* const CRLF = "\r\n";

void AppendEncodedChar(QByteArray& Out, char16_t C)
{
    if (C == u'\u02CB') {
        Out.append('`');
        return;
    }
    char Buffer[8];
    char* End = Buffer + sizeof Buffer;
    char* P = End;
    *--P = ';';
    unsigned Value = C;
    do {
        *--P = char('0' + Value % 10);
        Value /= 10;
    } while (Value);
    *--P = '#';
    *--P = '&';
    Out.append(P, End - P);
}

void AppendEscaped(QByteArray& Out, const QByteArray& Text)
{
    for (char C : Text) {
        switch (C) {
        case '&':
            Out.append("&amp;");
            break;
        case '<':
            Out.append("&lt;");
            break;
        case '>':
            Out.append("&gt;");
            break;
        case '"':
            Out.append("&quot;");
            break;
        default:
            Out.append(C);
        }
    }
}

// The first character of an 8-bit word: one byte, or the whole UTF-8 sequence of a character that
// the locale's encoding spells with several bytes (a broken sequence ends at its last valid byte).
QByteArray FirstCharacter(const QByteArray& Word)
{
    if (Word.isEmpty())
        return {};
    const auto Lead = uchar(Word[0]);
    if (Lead < 0x80)
        return Word.left(1);
    int Length = 1;
    if ((Lead & 0xE0) == 0xC0)
        Length = 2;
    else if ((Lead & 0xF0) == 0xE0)
        Length = 3;
    else if ((Lead & 0xF8) == 0xF0)
        Length = 4;
    Length = qMin(Length, int(Word.size()));
    for (int I = 1; I < Length; ++I) {
        if ((uchar(Word[I]) & 0xC0) != 0x80)
            return Word.left(I);
    }
    return Word.left(Length);
}

QByteArray LowerAsciiLetter(QByteArray Letter)
{
    if (Letter.size() == 1 && Letter[0] >= 'A' && Letter[0] <= 'Z')
        Letter[0] = char(Letter[0] - 'A' + 'a');
    return Letter;
}

QByteArray UpperAsciiLetter(QByteArray Letter)
{
    if (Letter.size() == 1 && Letter[0] >= 'a' && Letter[0] <= 'z')
        Letter[0] = char(Letter[0] - 'a' + 'A');
    return Letter;
}

bool IsLineBreakOrBlank(char16_t C)
{
    return C <= 0x20;
}

void AppendEncodedText(QByteArray& Out, const QString& T)
{
    if (T.isEmpty())
        return;
    // The common case, a single line without blanks at its ends, needs no splitting.
    bool Single =
        !IsLineBreakOrBlank(T.front().unicode()) && !IsLineBreakOrBlank(T.back().unicode());
    for (qsizetype I = 0; Single && I < T.size(); ++I) {
        const char16_t C = T[I].unicode();
        Single = C != u'\r' && C != u'\n' && C != u'\0';
    }
    if (Single) {
        for (QChar C : T)
            AppendEncodedChar(Out, C.unicode());
        return;
    }
    TVexloWideStrings Lines;
    Lines.SetText(T);
    const int Count = Lines.Count();
    for (int I = 0; I < Count; ++I) {
        const QString Line = Lines.Get(I);
        if (Line.isEmpty())
            continue;
        for (QChar C : Line)
            AppendEncodedChar(Out, C.unicode());
        if (I != Count - 1)
            Out.append(", ", 2);
    }
}

// Reads ENAME, TRANS and BULG of every row in the table's order with one statement, instead of
// one lookup per row. Each row is checked against the table's row at the same place (ID and
// word); once they differ (the data changed meanwhile) the statement is given up and the caller
// reads the table's fields.
class TOrderedDetails
{
public:
    explicit TOrderedDetails(const TVexloTable& Table)
    {
        sqlite3* Db = Table.Connection() ? Table.Connection()->Handle() : nullptr;
        if (Db && sqlite3_prepare_v2(Db,
                                     "SELECT ID, ENAME, TRANS, BULG FROM English "
                                     "ORDER BY ENAME COLLATE NOCASE, ID",
                                     -1, &FStmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(FStmt);
            FStmt = nullptr;
        }
    }
    ~TOrderedDetails() { sqlite3_finalize(FStmt); }
    TOrderedDetails(const TOrderedDetails&) = delete;
    TOrderedDetails& operator=(const TOrderedDetails&) = delete;

    // Steps to the next row; true when it is the row with this ID and word.
    bool Next(int32_t ID, const QByteArray& Word)
    {
        if (!FStmt)
            return false;
        if (sqlite3_step(FStmt) == SQLITE_ROW && sqlite3_column_int(FStmt, 0) == ID &&
            Text(1) == QByteArrayView(Word))
            return true;
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        return false;
    }
    QString Transcription() const { return QString::fromUtf8(Text(2)); }
    QString BulgarianText() const { return QString::fromUtf8(Text(3)); }

private:
    QByteArrayView Text(int Column) const
    {
        const auto* Data = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, Column));
        return QByteArrayView(Data, Data ? sqlite3_column_bytes(FStmt, Column) : 0);
    }

    sqlite3_stmt* FStmt = nullptr;
};

} // namespace

const std::array<const char*, 10> LevelColors = {"#FFFFE2", "#FFFFDC", "#FFFFBB", "#FFFFAA",
                                                 "#FF9D6F", "#FF8062", "#FF7060", "#FF605F",
                                                 "#FF5E5E", "#FF4E4E"};

QByteArray EncodeChar(char16_t C)
{
    QByteArray Out;
    AppendEncodedChar(Out, C);
    return Out;
}

QByteArray EncodeText(const QString& T)
{
    QByteArray Out;
    AppendEncodedText(Out, T);
    return Out;
}

QByteArray PageText(const char* Context, const char* Source, const QStringList& Figures)
{
    const QString Translated = QCoreApplication::translate(Context, Source);
    QString Text = Translated;
    for (const QString& Figure : Figures)
        Text = Text.arg(Figure);
    return Translated == QLatin1String(Source) ? Text.toLatin1() : EncodeText(Text);
}

QByteArray PageText(const char* Source)
{
    return PageText("TReportPages", Source);
}

QByteArray EscapeHtml(const QByteArray& Text)
{
    QByteArray Out;
    Out.reserve(Text.size());
    AppendEscaped(Out, Text);
    return Out;
}

QByteArray FooterLine()
{
    return QByteArrayLiteral("<div align=\"right\"><font size=\"2\"><b>") +
           PageText(QT_TRANSLATE_NOOP("TReportPages", "Vexlo Vocabulary project")) +
           "</b></font><br><a href=\"https://vexlo.example.org/\" "
           "target=\"_self\">https://vexlo.example.org/</a></div>";
}

QByteArray BuildStatisticsPage(const TStatisticsFigures& Figures)
{
    QByteArray Page;
    Page.reserve(4096);
    auto Line = [&Page](const QByteArray& Text) {
        Page.append(Text);
        Page.append(CRLF, 2);
    };
    const QByteArray C0 = LevelColors[0];
    Line("<html>");
    Line("<head>");
    Line("<title>" + PageText(QT_TRANSLATE_NOOP("TReportPages", "Report")) + "</title>");
    Line("</head>");
    Line("<body scroll=auto bgcolor=\"#E9E9E9\">");
    Line("<p align=\"center\"><b>Vexlo Vocabulary 2006</b></p>");
    Line("<table align=\"center\" border=\"0\" cellspacing=\"1\" bgcolor=\"black\">");
    Line("<tr><th bgcolor=\"#FF5050\"><font size=\"2\">" +
         PageText(QT_TRANSLATE_NOOP("TReportPages", "Word Level")) + "</font></th>");
    Line("<th bgcolor=\"#FF5050\"><font size=\"2\">" +
         PageText(QT_TRANSLATE_NOOP("TReportPages", "Count")) + "</font></th></tr>");
    Line("<tr>");
    Line("<td align=\"right\" bgcolor=\"" + C0 + "\"><font size=\"2\">");
    Line("<b>0 - 9</b>&nbsp;</font></td>");
    Line("<td valign=\"middle\" align=\"left\" bgcolor=" + C0 + ">&nbsp;<font size=\"2\"><b>" +
         QByteArray::number(Figures.Total) + "</b>");
    Line("</font></td></tr>");
    for (int L = 0; L < 10; ++L) {
        const QByteArray C = LevelColors[L];
        Line("<tr><td valign=\"middle\" align=\"right\" bgcolor=\"" + C + "\"><font size=\"2\">" +
             QByteArray::number(L) +
             "</font>&nbsp;</td><td valign=\"middle\" align=\"left\" bgcolor=\"" + C +
             "\">&nbsp;<font size=\"2\">" + QByteArray::number(Figures.Counts[L]) +
             "</font></td></tr>");
    }
    Line("</table></font>");
    Line("<p><font size=\"2\"><b>" + PageText(QT_TRANSLATE_NOOP("TReportPages", "DataBase File")) +
         "</b> " + EscapeHtml(Figures.DataFile) + "</font></p>");
    Line("<p><font size=\"2\"><b>" +
         PageText(QT_TRANSLATE_NOOP("TReportPages", "Last filled word")) + " <font color=\"red\">" +
         EscapeHtml(Figures.LastWord) + "</font></b></font></p>");
    Line("<hr>");
    Line(FooterLine());
    Line("</body>");
    Line("</html>");
    return Page;
}

namespace {

const char EntryLine1[] = "<table width=\"100%\" cellspacing=\"0\">\r\n<tr>\r\n"
                          "<td width=\"200\" bgcolor=\"";
const char EntryLine2[] = "\" valign=\"top\"><font size = \"3\"><b>\r\n";
const char EntryLine3[] = "\r\n</b></font></td>\r\n<td width=\"150\" bgcolor=\"";
const char EntryLine4[] = "\" valign=\"top\"><b><font size = \"2\" face = \"Lucida Sans Unicode\" "
                          "color = \"#800000\">\r\n";
const char EntryLine5[] = "</font></b></td>\r\n<td align=\"left\" bgcolor=\"";
const char EntryLine6[] = "\" valign=\"top\"><font size = \"3\">\r\n";
const char EntryLine7[] = "\r\n</font></td>\r\n</tr>\r\n</table>\r\n";
const char HeadingStart[] = "<h2><b><font color = \"red\">";
const char HeadingEnd[] = "</font></b></h2>\r\n";

constexpr qsizetype Length(const char* Text)
{
    return qsizetype(std::char_traits<char>::length(Text));
}

const char* RowColour(bool Odd)
{
    return Odd ? "white" : "#EEEEEE";
}

} // namespace

void AppendHeadingBlock(QByteArray& Out, QByteArrayView Letter)
{
    Out.append(HeadingStart);
    Out.append(Letter);
    Out.append(HeadingEnd);
}

qsizetype HeadingBlockSize(QByteArrayView Letter)
{
    return Length(HeadingStart) + Letter.size() + Length(HeadingEnd);
}

void AppendEntryBlock(QByteArray& Out, bool Odd, QByteArrayView Word, QByteArrayView Transcription,
                      QByteArrayView Bulgarian)
{
    const char* Colour = RowColour(Odd);
    Out.append(EntryLine1);
    Out.append(Colour);
    Out.append(EntryLine2);
    Out.append(Word);
    Out.append(EntryLine3);
    Out.append(Colour);
    Out.append(EntryLine4);
    if (!Transcription.isEmpty()) {
        Out.append(Transcription);
        Out.append(CRLF, 2);
    }
    Out.append(EntryLine5);
    Out.append(Colour);
    Out.append(EntryLine6);
    Out.append(Bulgarian);
    Out.append(EntryLine7);
}

qsizetype EntryBlockSize(bool Odd, QByteArrayView Word, QByteArrayView Transcription,
                         QByteArrayView Bulgarian)
{
    return Length(EntryLine1) + Length(EntryLine2) + Length(EntryLine3) + Length(EntryLine4) +
           Length(EntryLine5) + Length(EntryLine6) + Length(EntryLine7) +
           3 * Length(RowColour(Odd)) + Word.size() +
           (Transcription.isEmpty() ? 0 : Transcription.size() + 2) + Bulgarian.size();
}

TPreviewPageBuilder::TPreviewPageBuilder(int ExpectedEntries)
    : FBlocks(TPageBlocks::Compact(
          "<html>\r\n<head>\r\n"
          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=win-1251\">\r\n"
          "<title>" +
              PageText(QT_TRANSLATE_NOOP("TReportPages", "Report")) +
              "</title>\r\n</head>\r\n<body scroll=auto bgcolor=\"#CCCCCC\">\r\n",
          qsizetype(qMax(0, ExpectedEntries)) + 32))
{}

void TPreviewPageBuilder::AddEntry(const QByteArray& EnglishWord, const QString& Transcription,
                                   const QString& BulgarianText)
{
    const QByteArray Letter = LowerAsciiLetter(FirstCharacter(EnglishWord));
    if (FEntries == 0 || Letter != FLetter) {
        FLetter = Letter;
        FWord.clear();
        AppendEscaped(FWord, UpperAsciiLetter(FLetter));
        FBlocks.AddHeading(FWord);
        FRow = 1;
    }
    FWord.clear();
    AppendEscaped(FWord, EnglishWord);
    FTranscription.clear();
    if (!Transcription.isEmpty()) {
        FTranscription.append('[');
        AppendEncodedText(FTranscription, Transcription + u']');
    }
    FBulgarian.clear();
    AppendEncodedText(FBulgarian, BulgarianText);
    FBlocks.AddEntry(FRow % 2, FWord, FTranscription, FBulgarian);
    ++FEntries;
    ++FRow;
}

TPageBlocks TPreviewPageBuilder::FinishBlocks()
{
    FBlocks.AddRaw("<hr>\r\n" + FooterLine() + "\r\n</body>\r\n</html>\r\n");
    return std::exchange(FBlocks, TPageBlocks());
}

QByteArray BuildStatisticsPage(TScreenSaverDataModule& Store, TVexloTable& Table,
                               const QString& DataFile)
{
    TStatisticsFigures Figures;
    Store.CountByLevel(Figures.Counts.data(), int(Figures.Counts.size()) - 1);
    Figures.Total = Table.RecordCount();
    Figures.DataFile = TextCodec::NarrowText(DataFile);
    Figures.LastWord = Store.GetLastFilledWord();
    return BuildStatisticsPage(Figures);
}

QByteArray BuildPreviewPage(TVexloTable& Table, const TAfterEntry& AfterEntry)
{
    return BuildPreviewBlocks(Table, AfterEntry).Page();
}

TPageBlocks BuildPreviewBlocks(TVexloTable& Table, const TAfterEntry& AfterEntry)
{
    return BuildPreviewBlocks(Table, AfterEntry, 0, {});
}

TPageBlocks BuildPreviewBlocks(TVexloTable& Table, const TAfterEntry& AfterEntry,
                               int FirstEntries,
                               const std::function<void(const TPageBlocks&)>& FirstPart)
{
    TVexloField* TableENAME = Table.FieldByName(QStringLiteral("ENAME"));
    TVexloField* TableTRANS = Table.FieldByName(QStringLiteral("TRANS"));
    TVexloField* TableBULG = Table.FieldByName(QStringLiteral("BULG"));
    TPreviewPageBuilder Builder(Table.RecordCount());
    TOrderedDetails Details(Table);
    Table.First();
    bool FirstPartGiven = false;
    bool GoOn = !AfterEntry || AfterEntry(0);
    while (GoOn && !Table.Eof()) {
        const int Index = Table.RecNo() - 1;
        const QByteArray Word = Table.ENameAnsiAt(Index);
        if (Details.Next(Table.IdAt(Index), Word))
            Builder.AddEntry(Word, Details.Transcription(), Details.BulgarianText());
        else
            Builder.AddEntry(TableENAME->AsAnsiString(), TableTRANS->AsString(),
                             TableBULG->AsString());
        Table.Next();
        if (FirstPart && !FirstPartGiven &&
            (Builder.EntryCount() >= FirstEntries || Table.Eof())) {
            FirstPartGiven = true;
            FirstPart(Builder.SoFar());
        }
        GoOn = !AfterEntry || AfterEntry(Builder.EntryCount());
    }
    return Builder.FinishBlocks();
}

#include "tests/app/AdminFormFixture.h"
#define VEXLO_QSTRING_PRINTER
#include "tests/interchange/InterchangeTestSupport.h"

#include "interchange/TAccessFile.h"
#include "interchange/TInterchangeDialogs.h"
#include "widgets/TProgressForm.h"
#include "tests/support/WaitForShown.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <QMenu>
#include <QPushButton>

namespace {

class ImportExportWindow : public AdminFormTest
{
protected:
    void TearDown() override
    {
        TInterchangeDialogs::FileAnswer = {};
        TInterchangeDialogs::ColumnsAnswer = {};
        TInterchangeDialogs::EncodingAnswer = {};
        TInterchangeDialogs::TextColumnsAnswer = {};
        TInterchangeDialogs::LanguagesAnswer = {};
        TInterchangeDialogs::ProgressShown = {};
        TInterchangeDialogs::ProgressFrom = 5000;
        AdminFormTest::TearDown();
    }

    // The file dialog answers with Path (format from its name).
    void ChooseFile(const QString& Path)
    {
        TInterchangeDialogs::FileAnswer = [Path](bool) {
            return std::make_pair(Path, TInterchange::FormatOf(Path));
        };
    }

    QStringList Texts() const
    {
        QStringList Result;
        for (const auto& Box : TMessageBox::Answered())
            Result << Box.Text;
        return Result;
    }
};

TEST_F(ImportExportWindow, FileMenuHoldsTheCommands)
{
    Open(Fruits);
    QStringList Items;
    for (QAction* Action : UI(Form, File1)->actions())
        Items << Action->text();
    EXPECT_TRUE(Items.join('|').contains("&Import...|E&xport...|")) << Items.join('|').toStdString();
}

TEST_F(ImportExportWindow, ImportAsksWithTheSummaryAndAddsOnYes)
{
    Open(Fruits);
    ChooseFile(Fixture("bad-rows.tsv"));
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Interchange->ImportAction->trigger();
    ASSERT_EQ(TMessageBox::Answered().size(), 2);
    const auto Question = TMessageBox::Answered()[0];
    EXPECT_EQ(Question.Icon, QMessageBox::Question);
    EXPECT_EQ(Question.Caption, "Import");
    EXPECT_EQ(Question.Text, "Rows read: 8\nTo add: 3\nSkipped: 4\nDuplicates: 1\n\n"
                             "Skipped rows:\n"
                             "line 2: the English word is empty\n"
                             "line 3: the English word is longer than 30 characters\n"
                             "line 4: the level is not a number from 0 to 9\n"
                             "line 5: the level is not a number from 0 to 9\n\n"
                             "Add these entries to the dictionary?");
    EXPECT_EQ(TMessageBox::Answered()[1].Text, "Added 3 entries, skipped 4, duplicates 1.");
    EXPECT_EQ(Table()->RecordCount(), 8);
    EXPECT_EQ(Form->windowTitle().left(30), "Vexlo Vocabulary - 8 records P");
    const auto Rows = StoredRows(DataFile);
    ASSERT_EQ(Rows.size(), 8u);
    EXPECT_EQ(Rows[7], (TStoredRow{8, "sky", "небе", "skaɪ", 9}));
}

TEST_F(ImportExportWindow, NothingChangesWithoutYes)
{
    struct
    {
        const char* What;
        QString File;
        std::vector<QMessageBox::StandardButton> Answers;
        const char* LastText;
    } Cases[] = {
        {"declined", Fixture("flashcards.txt"), {QMessageBox::No}, "Add these entries"},
        {"malformed", Fixture("unclosed-quote.csv"), {QMessageBox::Ok}, "are never closed"},
        // The user insists that 8-bit text is UTF-8.
        {"wrong encoding", Fixture("latin1.tsv"), {QMessageBox::Ok}, "is not UTF-8 text"},
        {"nested too deep",
         WriteFile(Dir.filePath("deep.kvtml"), DeepKvtml(60000, false)),
         {QMessageBox::Ok},
         "elements are nested more than 256 deep"},
        {"too large",
         SparseFile(Dir.filePath("huge.tsv"), qint64(64) << 30),
         {QMessageBox::Ok},
         "is too large to import (65536 MB): files of up to 256 MB are read."},
        // What an encrypted workbook is: a compound document.
        {"password-protected workbook",
         WriteFile(Dir.filePath("locked.xlsx"),
                   QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(504, '\0')),
         {QMessageBox::Ok},
         "is protected with a password"},
        {"all known", Fixture("no-header.csv"), {QMessageBox::Yes, QMessageBox::Ok}, ""},
    };
    Open({{"dog", "куче, пес"}, {"bird", "птица"}});
    TInterchangeDialogs::EncodingAnswer = [](const QString&) { return QString("UTF-8"); };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        TMessageBox::ClearAnswers();
        // A second import of what is there: only duplicates, nothing to ask.
        if (QString(Case.What) == "all known")
            SqliteShell(DataFile, "UPDATE English SET TRANS = 'dɒɡ', LEVEL = 4 WHERE ENAME = 'dog';"
                                  "UPDATE English SET LEVEL = 0 WHERE ENAME = 'bird'");
        const auto Before = StoredRows(DataFile);
        ChooseFile(Case.File);
        for (const auto Answer : Case.Answers)
            TMessageBox::SetNextAnswer(Answer);
        Form->Interchange->ImportAction->trigger();
        EXPECT_EQ(StoredRows(DataFile), Before);
        EXPECT_EQ(Table()->RecordCount(), 2);
        ASSERT_FALSE(TMessageBox::Answered().isEmpty());
        EXPECT_TRUE(Texts().last().contains(Case.LastText)) << Texts().join("\n---\n").toStdString();
    }
    EXPECT_TRUE(Texts().last().endsWith("Duplicates: 2\n\nThere is nothing to add."))
        << Texts().last().toStdString();
}

// What a file leaves open is asked: the encoding of 8-bit text, what three columns hold. A
// cancelled question changes nothing and says nothing more.
TEST_F(ImportExportWindow, AsksForTheEncodingAndTheColumns)
{
    Open({{"dog", "куче"}});
    QStringList Asked;
    QString Encoding;
    QStringList Columns;
    TInterchangeDialogs::EncodingAnswer = [&](const QString& Message) {
        Asked << Message;
        return Encoding;
    };
    TInterchangeDialogs::TextColumnsAnswer = [&](const QStringList& Sample) {
        Asked << Sample.join('/');
        return Columns;
    };
    struct
    {
        QString File;
        QString Encoding;
        QStringList Columns;
        const char* Asked;
        int Records;
    } Cases[] = {
        {Fixture("latin1.tsv"), "", {}, "Line 2 of the file is not UTF-8 text", 1},
        {Fixture("latin1.tsv"), "iso-8859-1", {}, "Line 2 of the file is not UTF-8 text", 3},
        {Fixture("three-columns.txt"), "", {}, "cat | kæt | котка/house | haʊs | къща", 3},
        {Fixture("three-columns.txt"),
         "",
         {"English", "Transcription", "Bulgarian"},
         "cat | kæt | котка/house | haʊs | къща",
         5},
        // Windows-1251 is plain enough to need no question.
        {Fixture("cp1251.tsv"), "", {}, nullptr, 7},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File.toStdString() + " " + Case.Encoding.toStdString());
        TMessageBox::ClearAnswers();
        Asked.clear();
        Encoding = Case.Encoding;
        Columns = Case.Columns;
        ChooseFile(Case.File);
        const bool Answered = !Case.Encoding.isEmpty() || !Case.Columns.isEmpty() || !Case.Asked;
        if (Answered) {
            TMessageBox::SetNextAnswer(QMessageBox::Yes);
            TMessageBox::SetNextAnswer(QMessageBox::Ok);
        }
        Form->Interchange->ImportAction->trigger();
        if (Case.Asked) {
            ASSERT_EQ(Asked.size(), 1);
            EXPECT_TRUE(Asked[0].contains(Case.Asked)) << Asked[0].toStdString();
        } else {
            EXPECT_TRUE(Asked.isEmpty());
        }
        EXPECT_EQ(TMessageBox::Answered().size(), Answered ? 2 : 0);
        EXPECT_EQ(Table()->RecordCount(), Case.Records);
    }
    const auto Rows = StoredRows(DataFile);
    ASSERT_EQ(Rows.size(), 7u);
    EXPECT_EQ(Rows[1], (TStoredRow{2, "café", "kafe", "", 0}));
    EXPECT_EQ(Rows[3], (TStoredRow{4, "cat", "котка", "kæt", 0}));
    EXPECT_EQ(Rows[5], (TStoredRow{6, "bread", "хляб", "", 0}));
}

// A KDE document with more than two languages, or with codes that name neither English nor
// Bulgarian, asks which two to take; the report names the languages left out. Languages without
// codes (a flashcard program's "Column 1") are taken in order without a question.
TEST_F(ImportExportWindow, AsksWhichLanguagesOfAKdeDocument)
{
    Open({{"sky", "небе"}});
    QTemporaryDir Files;
    auto Document = [&](const char* Name, const QByteArray& Identifiers) {
        return WriteFile(Files.filePath(Name),
                         "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><identifiers>" +
                             Identifiers +
                             "</identifiers><entries><entry id=\"0\"><translation id=\"0\"><text>"
                             "one</text></translation><translation id=\"1\"><text>two</text>"
                             "</translation></entry></entries></kvtml>\n");
    };
    const QString Coded =
        Document("coded.kvtml",
                 "<identifier id=\"0\"><name>Deutsch</name><locale>de</locale></identifier>"
                 "<identifier id=\"1\"><name>Français</name><locale>fr</locale></identifier>");
    const QString Columns =
        Document("columns.kvtml", "<identifier id=\"0\"><name>Column 1</name></identifier>"
                                  "<identifier id=\"1\"><name>Column 2</name></identifier>");
    QStringList Asked;
    QList<int> Answer;
    TInterchangeDialogs::LanguagesAnswer = [&](const QStringList& Languages,
                                               const QList<int>& Suggested) {
        Asked << Languages.join('/') + QString(" %1,%2").arg(Suggested[0]).arg(Suggested[1]);
        return Answer;
    };
    struct
    {
        QString File;
        QList<int> Answer;
        const char* Asked;
        const char* Added; // the Bulgarian text of the first row added; nullptr: cancelled
        const char* Report;
    } Cases[] = {
        {Fixture("three-languages.kvtml"),
         {},
         "English (en)/Bulgarian (bg)/German (de) 0,1",
         nullptr,
         nullptr},
        {Fixture("three-languages.kvtml"),
         {0, 2},
         "English (en)/Bulgarian (bg)/German (de) 0,1",
         "Katze",
         "Languages left out: Bulgarian."},
        {Fixture("en-de-bg.kvtml"),
         {0, 2},
         "English (US) (en_US)/German (de)/Bulgarian (bg_BG) 0,2",
         "кон",
         "Languages left out: German."},
        {Coded, {1, 0}, "Deutsch (de)/Français (fr) 0,1", "one", nullptr},
        {Columns,
         {},
         nullptr,
         "two",
         "Taken in the document's order: Column 1 as English, Column 2 as Bulgarian."},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File.toStdString());
        TMessageBox::ClearAnswers();
        Asked.clear();
        Answer = Case.Answer;
        ChooseFile(Case.File);
        const auto Before = StoredRows(DataFile);
        if (Case.Added) {
            TMessageBox::SetNextAnswer(QMessageBox::Yes);
            TMessageBox::SetNextAnswer(QMessageBox::Ok);
        }
        Form->Interchange->ImportAction->trigger();
        EXPECT_EQ(Asked, Case.Asked ? QStringList{Case.Asked} : QStringList{});
        if (!Case.Added) {
            EXPECT_TRUE(TMessageBox::Answered().isEmpty());
            EXPECT_EQ(StoredRows(DataFile), Before);
            continue;
        }
        ASSERT_FALSE(TMessageBox::Answered().isEmpty());
        if (Case.Report) {
            EXPECT_TRUE(Texts()[0].contains(Case.Report)) << Texts()[0].toStdString();
        }
        const auto Rows = StoredRows(DataFile);
        ASSERT_GT(Rows.size(), Before.size());
        EXPECT_EQ(Rows[Before.size()].BULG, Case.Added);
    }
}

TEST_F(ImportExportWindow, CancelInTheProgressWindowKeepsTheDictionary)
{
    Open(Fruits);
    const auto Before = StoredRows(DataFile);
    TInterchangeDialogs::ProgressFrom = 1;
    int Shown = 0;
    TInterchangeDialogs::ProgressShown = [&](TProgressForm* Progress) {
        ++Shown;
        EXPECT_TRUE(Progress->isVisible());
        EXPECT_EQ(Progress->windowTitle(), "Import");
        Progress->StopBitBtn->click();
    };
    ChooseFile(Fixture("flashcards.txt"));
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Interchange->ImportAction->trigger();
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Texts(), QStringList{"The import was cancelled; the dictionary is unchanged."});
    EXPECT_EQ(StoredRows(DataFile), Before);
    EXPECT_EQ(Table()->RecordCount(), 5);
}

TEST_F(ImportExportWindow, AccessTableOtherThanEnglishIsMappedByTheUser)
{
    Open(Fruits);
    const QString Copy = Dir.filePath("nwind.mdb");
    ASSERT_TRUE(QFile::copy(AccessSample("nwind.mdb"), Copy));
    QString Offered;
    TInterchangeDialogs::ColumnsAnswer = [&](const TAccessFile&, TAccessColumns::TColumnMap& Map) {
        Offered = Map.Table;
        Map = {"Shippers", "CompanyName", "", "Phone", "ShipperID"};
        return true;
    };
    ChooseFile(Copy);
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Interchange->ImportAction->trigger();
    EXPECT_EQ(Offered, "Order Details");
    EXPECT_EQ(Texts().last(), "Added 3 entries, skipped 0, duplicates 0.");
    const auto Rows = StoredRows(DataFile);
    ASSERT_EQ(Rows.size(), 8u);
    EXPECT_EQ(Rows[5], (TStoredRow{6, "Speedy Express", "(503) 555-9831", "", 1}));
    EXPECT_EQ(Rows[7], (TStoredRow{8, "Federal Shipping", "(503) 555-9931", "", 3}));

    // Cancelling the mapping imports nothing.
    TMessageBox::ClearAnswers();
    TInterchangeDialogs::ColumnsAnswer = [](const TAccessFile&, TAccessColumns::TColumnMap&) {
        return false;
    };
    Form->Interchange->ImportAction->trigger();
    EXPECT_TRUE(TMessageBox::Answered().isEmpty());
    EXPECT_EQ(StoredRows(DataFile), Rows);
}

TEST(OpenAccessDictionary, AsksForColumnsAndMakesANewDataFile)
{
    QTemporaryDir Dir;
    const QString Copy = Dir.filePath("nwind.mdb");
    ASSERT_TRUE(QFile::copy(AccessSample("nwind.mdb"), Copy));
    struct
    {
        bool Answer;
        QString Target;
        QString Made;
    } Cases[] = {
        {false, {}, {}},
        {true, {}, Dir.filePath("nwind.sqlite")},
        {true, Dir.filePath("elsewhere.db"), Dir.filePath("elsewhere.db")},
    };
    for (const auto& Case : Cases) {
        TInterchangeDialogs::ColumnsAnswer = [&](const TAccessFile&,
                                                 TAccessColumns::TColumnMap& Map) {
            Map = {"Shippers", "CompanyName", "", "Phone", ""};
            return Case.Answer;
        };
        EXPECT_EQ(TInterchangeDialogs::ConvertAccessFileAsking(nullptr, Copy, Case.Target),
                  Case.Made);
        if (!Case.Made.isEmpty()) {
            EXPECT_EQ(StoredRows(Case.Made).size(), 3u);
        }
    }
    TInterchangeDialogs::ColumnsAnswer = {};
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files),
              QStringList({"elsewhere.db", "nwind.mdb", "nwind.sqlite"}));
}

TEST(ColumnMapDialog, OffersReadableColumnsAndNeedsAnEnglishOne)
{
    const TAccessFile File(AccessSample("nwind.mdb"));
    TColumnMapDialog Dialog(nullptr, File, TAccessColumns::GuessColumnMap(File, "Categories"));
    auto* Ok = Dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_EQ(Dialog.TableBox->currentText(), "Categories");
    QStringList Columns;
    for (int I = 0; I < Dialog.EnglishBox->count(); ++I)
        Columns << Dialog.EnglishBox->itemText(I);
    // The picture (an OLE object) is not offered.
    EXPECT_EQ(Columns, QStringList({"(none)", "CategoryID", "CategoryName", "Description"}));
    EXPECT_FALSE(Ok->isEnabled());
    Dialog.EnglishBox->setCurrentText("CategoryName");
    Dialog.BulgarianBox->setCurrentText("Description");
    EXPECT_TRUE(Ok->isEnabled());
    const TAccessColumns::TColumnMap Map = Dialog.Map();
    EXPECT_EQ(Map.Table, "Categories");
    EXPECT_EQ(Map.English, "CategoryName");
    EXPECT_EQ(Map.Bulgarian, "Description");
    EXPECT_TRUE(Map.Transcription.isEmpty());
    Dialog.TableBox->setCurrentText("Shippers");
    EXPECT_EQ(Dialog.EnglishBox->count(), 4);
    EXPECT_EQ(Dialog.EnglishBox->currentIndex(), 0);
    EXPECT_FALSE(Ok->isEnabled());
}

TEST_F(ImportExportWindow, ExportWritesEveryEntryAndNamesTheFilePlainly)
{
    Open(Fruits);
    const QString Path = Dir.filePath("<b>words.kvtml");
    ChooseFile(Path);
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Interchange->ExportAction->trigger();
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    EXPECT_TRUE(Texts()[0].contains("Exported 5 entries to ")) << Texts()[0].toStdString();
    EXPECT_TRUE(Texts()[0].contains("&lt;b&gt;words.kvtml")) << Texts()[0].toStdString();
    EXPECT_EQ(TInterchange::ReadFile(Path, TInterchangeFormat::Kvtml).Rows.size(), 5u);
}

// The file dialog's Anki filters write notes for the Basic note type.
TEST_F(ImportExportWindow, AnkiFilterWritesNotes)
{
    Open({{"cat", "котка"}});
    SqliteShell(DataFile, "UPDATE English SET TRANS = 'kæt', LEVEL = 2");
    for (const auto Format : {TInterchangeFormat::AnkiFront, TInterchangeFormat::AnkiBack}) {
        const QString Path = Dir.filePath("deck.txt");
        TInterchangeDialogs::FileAnswer = [&](bool) { return std::make_pair(Path, Format); };
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        Form->Interchange->ExportAction->trigger();
        QFile Written(Path);
        ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(Written.readAll()),
                  QString("#separator:tab\n#html:false\n#notetype:Basic\n#tags column:3\n") +
                      (Format == TInterchangeFormat::AnkiFront ? "cat [kæt]\tкотка"
                                                               : "cat\t[kæt] котка") +
                      "\tlevel::2\n");
    }
}

// The real file dialog: a spreadsheet filter chosen for a name without a suffix gives the name
// that suffix and the format.
TEST_F(ImportExportWindow, SpreadsheetFiltersNameTheFormat)
{
    Open(Fruits);
    struct
    {
        const char* Filter;
        TInterchangeFormat Format;
        const char* Suffix;
    } Cases[] = {{"OpenDocument spreadsheets (*.ods)", TInterchangeFormat::Ods, ".ods"},
                 {"Excel workbooks (*.xlsx)", TInterchangeFormat::Xlsx, ".xlsx"}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Filter);
        bool Answered = false;
        QTimer::singleShot(0, [&] {
            QFileDialog* Dialog = WaitForShown<QFileDialog>();
            if (!Dialog)
                return;
            Answered = Dialog->nameFilters().contains(Case.Filter);
            Dialog->setDirectory(Dir.path());
            Dialog->selectNameFilter(Case.Filter);
            Dialog->selectFile("words");
            static_cast<QDialog*>(Dialog)->accept(); // as OK does
        });
        QString Path;
        TInterchangeFormat Format = TInterchangeFormat::Unknown;
        ASSERT_TRUE(TInterchangeDialogs::ChooseFile(Form.get(), true, Path, Format));
        EXPECT_TRUE(Answered) << "the filter is not offered";
        EXPECT_EQ(Path, Dir.filePath(QString("words") + Case.Suffix));
        EXPECT_EQ(Format, Case.Format);
    }
}

// Export onto a link to the open data file: refused, the dictionary untouched and still open.
TEST_F(ImportExportWindow, ExportRefusesTheOpenDataFile)
{
    Open(Fruits);
    const auto Before = StoredRows(DataFile);
    const QString Link = Dir.filePath("words.tsv");
    ASSERT_TRUE(QFile::link(DataFile, Link));
    ChooseFile(Link);
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Interchange->ExportAction->trigger();
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    EXPECT_TRUE(Texts()[0].contains("is the open data file")) << Texts()[0].toStdString();
    EXPECT_EQ(StoredRows(DataFile), Before);
    EXPECT_TRUE(QFileInfo(Link).isSymLink());
    EXPECT_EQ(Table()->RecordCount(), 5);
}

} // namespace

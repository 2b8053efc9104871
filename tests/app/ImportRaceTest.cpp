// The window while an import runs: it holds the write transaction until the user confirms it and
// lets the windows run meanwhile, so entry commands and a request to end the program arrive in
// the middle of it.

#include "AdminFormFixture.h"

#include "../support/WaitUntil.h"

#include "app/TVexloApplication.h"
#include "interchange/TInterchangeDialogs.h"
#include "platform/TSignalHandler.h"
#include "widgets/TProgressForm.h"

#include <QApplication>
#include <QFile>
#include <QProcess>

#include <csignal>

namespace {

// The English words of Path in ID order, read by the sqlite3 shell, with the IDs' integrity:
// "1 apple|2 Apricot|...".
QString StoredWords(const QString& Path)
{
    QProcess Shell;
    Shell.start("sqlite3", {Path, "SELECT group_concat(ID || ' ' || ENAME, '|') FROM (SELECT ID, "
                                  "ENAME FROM English ORDER BY ID)"});
    Shell.waitForFinished(10000);
    return QString::fromUtf8(Shell.readAllStandardOutput()).trimmed();
}

class ImportRaceTest : public AdminFormTest
{
protected:
    void SetUp() override
    {
        AdminFormTest::SetUp();
        // The progress window shows for the smallest import; its first step is inside the
        // transaction, where the test acts.
        TInterchangeDialogs::ProgressFrom = 1;
        Words = Dir.filePath("words.tsv");
        QFile File(Words);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("English\tTranscription\tBulgarian\tLevel\n"
                   "grape\t\tгрозде\t1\nlemon\t\tлимон\t2\nmelon\t\tпъпеш\t3\n");
        File.close();
        TInterchangeDialogs::FileAnswer = [this](bool) {
            return std::make_pair(Words, TInterchangeFormat::Tsv);
        };
    }

    void TearDown() override
    {
        TInterchangeDialogs::FileAnswer = {};
        TInterchangeDialogs::ProgressShown = {};
        TInterchangeDialogs::ProgressFrom = 5000;
        AdminFormTest::TearDown();
    }

    QStringList Texts() const
    {
        QStringList Result;
        for (const auto& Box : TMessageBox::Answered())
            Result << Box.Text;
        return Result;
    }

    QString Words;
};

const QString Running =
    "An import is running. Wait for it to end, or cancel it, and try again.";

// New, Edit, Delete and Delete all during the import are refused with a message that is true:
// nothing joins the import's transaction, and the import adds its words numbered on.
TEST_F(ImportRaceTest, EntryCommandsWaitForTheImport)
{
    Open(Fruits);
    const QString Before = StoredWords(DataFile);
    bool Acted = false;
    TInterchangeDialogs::ProgressShown = [&](TProgressForm* Progress) {
        if (std::exchange(Acted, true))
            return;
        // Nothing in the main window takes input meanwhile.
        EXPECT_EQ(QApplication::activeModalWidget(), Progress);
        for (int I = 0; I < 4; ++I)
            TMessageBox::SetNextAnswer(QMessageBox::Yes);
        Form->NewExecute();
        Form->RedactExecute();
        Form->DeleteExecute();
        Form->DeleteAllExecute();
    };
    TMessageBox::SetNextAnswer(QMessageBox::Yes); // add the words
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Interchange->ImportAction->trigger();
    ASSERT_TRUE(Acted);
    const QStringList Shown = Texts();
    ASSERT_EQ(Shown.size(), 6) << Shown.join("\n---\n").toStdString();
    EXPECT_EQ(Shown.mid(0, 4), QStringList(4, Running));
    EXPECT_EQ(Shown.last(), "Added 3 entries, skipped 0, duplicates 0.");
    EXPECT_EQ(StoredWords(DataFile), Before + "|6 grape|7 lemon|8 melon");
    EXPECT_EQ(Table()->RecordCount(), 8);

    // Afterwards the commands work again.
    TMessageBox::ClearAnswers();
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    Form->DeleteExecute();
    EXPECT_EQ(Table()->RecordCount(), 7);
}

// A logout, kill or Ctrl+C during the import cancels it: nothing of it is committed, and the
// window then closes as its close command does.
TEST_F(ImportRaceTest, SignalDuringTheImportRollsItBack)
{
    Open(Fruits);
    const QString Before = StoredWords(DataFile);
    TSignalHandler Signals([this](int) { TVexloApplication::EndAsClosed(Form.get()); });
    int Steps = 0;
    TInterchangeDialogs::ProgressShown = [&](TProgressForm*) {
        if (++Steps == 1)
            ::raise(SIGTERM);
    };
    Form->show();
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Interchange->ImportAction->trigger();
    EXPECT_GE(Steps, 1);
    EXPECT_EQ(Texts(), QStringList{"The import was cancelled; the dictionary is unchanged."});
    EXPECT_EQ(StoredWords(DataFile), Before);
    // The close follows once the import has returned.
    EXPECT_TRUE(WaitUntil([this] { return !Form->isVisible(); }));
}

} // namespace

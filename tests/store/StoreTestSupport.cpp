#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"

#include <QProcess>

#include <sqlite3.h>

TEnBgRecord MakeEntry(const QString& Word, int Level, const QString& Bulgarian,
                      const QString& Transcription)
{
    TEnBgRecord Rec;
    Rec.EnglishWord = Word;
    Rec.BulgarianText = Bulgarian;
    Rec.Transcription = Transcription;
    Rec.WordLevel = Level;
    return Rec;
}

void RawExec(const QString& Path, const std::string& Sql)
{
    sqlite3* Db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Path.toUtf8().constData(), &Db, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    char* Error = nullptr;
    const int Rc = sqlite3_exec(Db, Sql.c_str(), nullptr, nullptr, &Error);
    EXPECT_EQ(Rc, SQLITE_OK) << (Error ? Error : "");
    sqlite3_free(Error);
    sqlite3_close(Db);
}

std::vector<int> RawIds(const QString& Path)
{
    std::vector<int> Ids;
    sqlite3* Db = nullptr;
    if (sqlite3_open_v2(Path.toUtf8().constData(), &Db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db, "SELECT ID FROM English ORDER BY ID", -1, &Stmt, nullptr);
        while (Stmt && sqlite3_step(Stmt) == SQLITE_ROW)
            Ids.push_back(sqlite3_column_int(Stmt, 0));
        sqlite3_finalize(Stmt);
    }
    sqlite3_close(Db);
    return Ids;
}

void ShellExec(const QString& Path, const QString& Script)
{
    QProcess Shell;
    Shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), Path});
    ASSERT_TRUE(Shell.waitForStarted()) << "the sqlite3 shell is missing";
    Shell.write(Script.toUtf8());
    Shell.closeWriteChannel();
    ASSERT_TRUE(Shell.waitForFinished(30000));
    EXPECT_EQ(Shell.exitCode(), 0) << Shell.readAllStandardError().toStdString();
}

std::vector<TRawEntry> RawEntries(const QString& Path)
{
    std::vector<TRawEntry> Rows;
    sqlite3* Db = nullptr;
    if (sqlite3_open_v2(Path.toUtf8().constData(), &Db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db,
                           "SELECT CAST(ID AS INTEGER), ENAME FROM English "
                           "ORDER BY CAST(ID AS INTEGER)",
                           -1, &Stmt, nullptr);
        while (Stmt && sqlite3_step(Stmt) == SQLITE_ROW) {
            const auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 1));
            Rows.push_back({sqlite3_column_int64(Stmt, 0),
                            std::string(Text ? Text : "",
                                        static_cast<size_t>(sqlite3_column_bytes(Stmt, 1)))});
        }
        sqlite3_finalize(Stmt);
    }
    sqlite3_close(Db);
    return Rows;
}

std::string RawText(const QString& Path, const std::string& Sql)
{
    std::string Result;
    sqlite3* Db = nullptr;
    if (sqlite3_open_v2(Path.toUtf8().constData(), &Db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db, Sql.c_str(), -1, &Stmt, nullptr);
        if (Stmt && sqlite3_step(Stmt) == SQLITE_ROW && sqlite3_column_text(Stmt, 0))
            Result = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 0));
        sqlite3_finalize(Stmt);
    }
    sqlite3_close(Db);
    return Result;
}

void StoreFixture::SetUp()
{
    ASSERT_TRUE(Dir.isValid());
    Path = Dir.filePath("vocabulary.db");
    TDataFileTool::CreateEmptyDataFile(Path);
    Store = new TScreenSaverDataModule;
    QStringList Messages;
    Store->OpenDataFile(Path, Messages);
    ASSERT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
    ASSERT_TRUE(Store->ADOTable->Active());
}

void StoreFixture::TearDown()
{
    delete Store;
}

void StoreFixture::AppendWords(std::initializer_list<const char*> Words)
{
    for (const char* Word : Words)
        Store->AppendEntry(MakeEntry(QString::fromUtf8(Word)));
}

std::vector<std::string> StoreFixture::TableWords() const
{
    std::vector<std::string> Words;
    for (int I = 0; I < Store->ADOTable->RecordCount(); ++I)
        Words.push_back(Store->ADOTable->ENameAt(I).toStdString());
    return Words;
}

std::string StoreFixture::CurrentWord() const
{
    return Store->ADOTableENAME->AsString().toStdString();
}

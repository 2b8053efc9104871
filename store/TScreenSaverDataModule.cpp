#include "store/TScreenSaverDataModule.h"

#include "store/TReviewKeys.h"
#include "store/TextCodec.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <chrono>
#include <sqlite3.h>

TScreenSaverDataModule* ScreenSaverDataModule = nullptr;

namespace {

const char ChangedByAnotherProgram[] = QT_TRANSLATE_NOOP(
    "TScreenSaverDataModule",
    "The dictionary was changed by another program (or another copy of Vexlo Vocabulary) after "
    "it was shown here, so nothing was saved. The list now shows the dictionary as it is; make "
    "the change again if it is still needed.");

// Renumbering under a unique index goes through numbers far below any real one.
constexpr int64_t RenumberOffset = int64_t(1) << 40;

// The ID as an integer, for statements run while the table is closed.
QByteArray IdExpression(const TVexloTable* Table)
{
    return Table->Active() ? Table->IdExpression() : QByteArray("CAST(ID AS INTEGER)");
}

} // namespace

TScreenSaverDataModule::TScreenSaverDataModule()
    : ADOConnection(new TVexloConnection), DataSource(new TVexloDataSource),
      ADOQuery(new TVexloQuery(ADOConnection)), ADOTable(new TVexloTable(ADOConnection))
{
    DataSource->DataSet = ADOTable;
    ADOTableID = ADOTable->FieldByName("ID");
    ADOTableENAME = ADOTable->FieldByName("ENAME");
    ADOTableBULG = ADOTable->FieldByName("BULG");
    ADOTableTRANS = ADOTable->FieldByName("TRANS");
    ADOTableLEVEL = ADOTable->FieldByName("LEVEL");
    ScreenSaverDataModule = this;
    DataModuleCreate();
}

TScreenSaverDataModule::~TScreenSaverDataModule()
{
    if (ScreenSaverDataModule == this)
        ScreenSaverDataModule = nullptr;
    delete ADOTable;
    delete ADOQuery;
    delete DataSource;
    delete ADOConnection;
}

void TScreenSaverDataModule::DataModuleCreate()
{
    FMaxID = -1;
}

QString TScreenSaverDataModule::ExtractDataDir(const QString& Path)
{
    auto IsSeparator = [](QChar C) { return C == QLatin1Char('\\') || C == QLatin1Char('/'); };
    int At = -1;
    for (int I = static_cast<int>(Path.size()) - 1; I >= 0; --I) {
        if (IsSeparator(Path[I]) || Path[I] == QLatin1Char(':')) {
            At = I;
            break;
        }
    }
    if (At < 0)
        return {};
    if (IsSeparator(Path[At]) && At > 0 && !IsSeparator(Path[At - 1]) &&
        Path[At - 1] != QLatin1Char(':'))
        return Path.left(At);
    return Path.left(At + 1);
}

QString TScreenSaverDataModule::BuildConnectionString(const QString& Path, const QString& Dir)
{
    return QStringLiteral("Provider=MSDASQL;Password=pickle;Persist Security Info=True;User "
                          "ID=admin;Extended Properties=\"DBQ=") +
           Path + QStringLiteral(";DefaultDir=") + Dir +
           QStringLiteral(";Driver={Microsoft Access Driver "
                          "(*.mdb)};FIL=MS Access;MaxBufferSize=2048;MaxScanRows=8;PageTimeout=5;"
                          "PWD=pickle;SafeTransactions=0;Threads=3;UID=admin;UserCommitSync=Yes;"
                          "\"");
}

void TScreenSaverDataModule::OpenDataFile(const QString& Path, QStringList& Messages)
{
    SeedRandom(static_cast<uint32_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    const QFileInfo Info(Path);
    if (Path.isEmpty() || (!Info.exists() && !Info.isSymLink())) {
        Messages.append(
            QCoreApplication::translate("TScreenSaverDataModule", "The file %1 does not exists !")
                .arg(Path));
        return;
    }
    ADOTable->Close();
    ADOConnection->Close();
    FMaxID = -1; // another file may hold other numbers
    FReportedFileProblem.clear();
    ADOConnection->ConnectionString = BuildConnectionString(Path, ExtractDataDir(Path));
    ADOConnection->DefaultDatabase = Path;
    try {
        ADOConnection->Open();
        ADOTable->Open();
    } catch (const EVexloDatabaseError& E) {
        Messages.append(E.Message());
    } catch (const std::exception& E) {
        Messages.append(QString::fromLocal8Bit(E.what()));
    }
}

void TScreenSaverDataModule::CloseData()
{
    ADOTable->Close();
    ADOConnection->Close();
}

bool TScreenSaverDataModule::IsStoreEmpty()
{
    return ADOTable->Bof() && ADOTable->Eof();
}

int TScreenSaverDataModule::GetEntryCount()
{
    if (ADOTable->Active())
        return ADOTable->RecordCount();
    return GetMaxID();
}

int TScreenSaverDataModule::GetMaxID()
{
    if (FMaxID != -1)
        return FMaxID;
    int Result = 0;
    ADOQuery->SQL = QStringLiteral("select Max(%1) as MAXID from English")
                        .arg(QString::fromUtf8(IdExpression(ADOTable)));
    ADOQuery->Open();
    if (ADOQuery->RecordCount() > 0 && !ADOQuery->FieldByName("MAXID").IsNull()) {
        Result = ADOQuery->FieldByName("MAXID").AsInteger();
        FMaxID = Result;
    }
    ADOQuery->Close();
    return Result;
}

QByteArray TScreenSaverDataModule::GetLastFilledWord()
{
    QByteArray Result;
    const QByteArray Id = IdExpression(ADOTable);
    if (ADOTable->Active() && Id != "ID") {
        // IDs stored as text: the rows in memory hold them as integers already, while the file
        // could only be searched whole.
        const int Index = ADOTable->IndexOfMaxId();
        return Index < 0 ? Result : TextCodec::NarrowText(ADOTable->ENameAt(Index));
    }
    ADOQuery->SQL = QStringLiteral("select EName from English where %1 in "
                                   "(select Max(%1) from English)")
                        .arg(QString::fromUtf8(Id));
    ADOQuery->Open();
    if (ADOQuery->RecordCount() > 0)
        Result = ADOQuery->FieldByName("EName").AsAnsiString();
    ADOQuery->Close();
    return Result;
}

bool TScreenSaverDataModule::CountByLevel(int32_t* Counts, int High)
{
    // Levels stored as text or REAL (3.7) are counted as the integer the table shows (3).
    ADOQuery->SQL = QStringLiteral("SELECT Count(*) AS CountLevel, CAST(LEVEL AS INTEGER) AS LEVEL "
                                   "FROM English GROUP BY CAST(LEVEL AS INTEGER)");
    ADOQuery->Open();
    const bool Result = ADOQuery->RecordCount() > 0;
    for (ADOQuery->First(); !ADOQuery->Eof(); ADOQuery->Next()) {
        const TVexloValue Level = ADOQuery->FieldByName("Level");
        bool Ok = false;
        const qlonglong L = Level.Value().toLongLong(&Ok);
        if (Ok && L >= 0 && L <= High)
            Counts[L] = ADOQuery->FieldByName("CountLevel").AsInteger();
    }
    ADOQuery->Close();
    return Result;
}

void TScreenSaverDataModule::SearchWord(const QByteArray& Text)
{
    QByteArray S = TextCodec::TrimControls(Text);
    while (!S.isEmpty()) {
        if (ADOTable->Locate("ENAME", TextCodec::WidenText(S), loCaseInsensitive | loPartialKey))
            return;
        S = TextCodec::DropLastCharacter(S);
    }
}

int TScreenSaverDataModule::DrawEntryNumber()
{
    const int Count = GetEntryCount();
    if (Count <= 0)
        return 1;
    return std::uniform_int_distribution<int>(1, Count)(FRandom);
}

void TScreenSaverDataModule::GotoRandomEntry(TVexloTable* Table)
{
    if (!Table || !Table->Active() || Table->IsEmpty())
        return;
    // Under the numbering invariant the first draw hits; a file whose numbers have gaps must not
    // hang the program, so after a few misses any row is taken.
    for (int Attempt = 0; Attempt < 32; ++Attempt)
        if (Table->Locate("ID", DrawEntryNumber(), 0))
            return;
    Table->SetRecNo(std::uniform_int_distribution<int>(1, Table->RecordCount())(FRandom));
}

void TScreenSaverDataModule::ReadRandomEntry(TEnBgRecord& Rec)
{
    const int N = DrawEntryNumber();
    if (ADOTable->Active() && ADOTable->IdExpression() != "ID") {
        // IDs stored as text: the table knows them as integers, and reads the row by its address.
        const int Index = ADOTable->IndexOfId(N);
        if (Index >= 0) {
            const TEnglishRow Row = ADOTable->RowAt(Index);
            Rec.EnglishWord = Row.ENAME;
            Rec.BulgarianText = Row.BULG;
            Rec.Transcription = Row.TRANS;
            Rec.WordLevel = Row.LEVEL;
        }
        return;
    }
    // The level as the integer the table shows (a REAL 3.7 is 3, never rounded to 4).
    ADOQuery->SQL = QStringLiteral("select ENAME, BULG, TRANS, CAST(LEVEL AS INTEGER) AS LEVEL "
                                   "from English where %1 = %2")
                        .arg(QString::fromUtf8(IdExpression(ADOTable)))
                        .arg(N);
    ADOQuery->Open();
    if (ADOQuery->RecordCount() > 0) {
        Rec.EnglishWord = ADOQuery->FieldByName("ENAME").AsString();
        Rec.BulgarianText = ADOQuery->FieldByName("BULG").AsString();
        Rec.Transcription = ADOQuery->FieldByName("TRANS").AsString();
        Rec.WordLevel = static_cast<int>(ADOQuery->FieldByName("LEVEL").Value().toLongLong());
    }
    ADOQuery->Close();
}

void TScreenSaverDataModule::ReadCurrentEntry(TEnBgRecord& Rec)
{
    if (!ADOTable->Active() || ADOTable->RecordCount() == 0 || ADOTable->RecNo() < 1)
        return;
    const TEnglishRow Row = ADOTable->RowAt(ADOTable->RecNo() - 1);
    Rec.EnglishWord = Row.ENAME;
    Rec.BulgarianText = Row.BULG;
    Rec.Transcription = Row.TRANS;
    Rec.WordLevel = Row.LEVEL;
}

void TScreenSaverDataModule::AssignFields(const TEnBgRecord& Rec)
{
    ADOTableENAME->SetAsString(TextCodec::ThroughNarrow(Rec.EnglishWord));
    ADOTableBULG->SetAsString(Rec.BulgarianText);
    ADOTableTRANS->SetAsString(Rec.Transcription);
    ADOTableLEVEL->SetAsInteger(Rec.WordLevel);
}

void TScreenSaverDataModule::LetGoOfMovedFile()
{
    // The engine skips the checkpoint at close when the file has moved, and would leave its log
    // at the path for whatever file comes there next; an emptied log holds nothing to apply.
    if (ADOConnection->Connected())
        sqlite3_wal_checkpoint_v2(ADOConnection->Handle(), "main", SQLITE_CHECKPOINT_TRUNCATE,
                                  nullptr, nullptr);
}

QString TScreenSaverDataModule::CheckDataFile(bool* Reloaded)
{
    if (Reloaded)
        *Reloaded = false;
    if (!ADOConnection->Connected())
        return {};
    const QString Path = ADOConnection->FileName();
    switch (ADOConnection->CheckFileIdentity()) {
    case TVexloConnection::TFileState::fsSame:
        FReportedFileProblem.clear();
        if (ADOTable->Active() && ADOTable->State() == TDataSetState::dsBrowse &&
            !ADOConnection->InTransaction() &&
            ADOConnection->DataVersion() != ADOTable->DataVersion()) {
            FMaxID = -1;
            ADOTable->Refresh();
            if (Reloaded)
                *Reloaded = true;
        }
        return {};
    case TVexloConnection::TFileState::fsReplaced: {
        LetGoOfMovedFile();
        const QByteArray Word = ADOTable->Active() && ADOTable->RecNo() > 0
                                    ? ADOTableENAME->AsAnsiString()
                                    : QByteArray();
        QStringList Messages;
        OpenDataFile(Path, Messages);
        if (Reloaded)
            *Reloaded = true;
        if (ADOTable->Active() && !Word.isEmpty())
            ADOTable->Locate("ENAME", TextCodec::WidenText(Word), 0);
        QString Text =
            QCoreApplication::translate("TScreenSaverDataModule",
                                        "The dictionary file %1 was replaced by another file while "
                                        "Vexlo Vocabulary had it open. Nothing was saved to either "
                                        "file; the list now shows the new file.")
                .arg(Path);
        if (!Messages.isEmpty())
            Text = QCoreApplication::translate(
                       "TScreenSaverDataModule",
                       "The dictionary file %1 was replaced by another file while "
                       "Vexlo Vocabulary had it open. Nothing was saved to either "
                       "file, and the new file cannot be opened:\n")
                       .arg(Path) +
                   Messages.join(QLatin1Char('\n'));
        return Text;
    }
    case TVexloConnection::TFileState::fsGone:
        break;
    }
    LetGoOfMovedFile();
    const QString Text =
        QCoreApplication::translate(
            "TScreenSaverDataModule",
            "The dictionary file %1 was deleted or moved away by another program "
            "while Vexlo Vocabulary had it open. Nothing can be saved until the file "
            "is back at that place; open another file or put it back.")
            .arg(Path);
    if (FReportedFileProblem == Text)
        return {};
    FReportedFileProblem = Text;
    return Text;
}

void TScreenSaverDataModule::ChangeData(const std::function<void()>& Work)
{
    ADOConnection->CheckConnected();
    if (!ChangesHeldBy.isEmpty())
        throw EVexloDatabaseError(ChangesHeldBy);
    if (ADOConnection->CheckFileIdentity() != TVexloConnection::TFileState::fsSame) {
        if (ADOTable->Active())
            ADOTable->Cancel();
        FReportedFileProblem.clear();
        const QString Text = CheckDataFile();
        FReportedFileProblem = Text;
        throw EVexloFileChangedError(Text);
    }
    const bool Own = !ADOConnection->InTransaction();
    const int32_t RememberedMaxID = FMaxID;
    const int64_t ChangesBefore = sqlite3_total_changes64(ADOConnection->Handle());
    if (Own)
        ADOConnection->BeginTrans();
    bool ChangedMeanwhile = false;
    try {
        // Inside the write transaction nobody else can commit, so what is checked here holds
        // until the change is saved.
        ChangedMeanwhile =
            ADOTable->Active() && ADOConnection->DataVersion() != ADOTable->DataVersion();
        if (!ChangedMeanwhile) {
            Work();
            if (Own)
                ADOConnection->CommitTrans();
            return;
        }
    } catch (...) {
        if (Own)
            ADOConnection->RollbackTrans();
        FMaxID = RememberedMaxID;
        if (ADOTable->Active()) {
            ADOTable->Cancel();
            // When something was written, the rows in memory may have moved ahead of the file;
            // read them again.
            if (Own && sqlite3_total_changes64(ADOConnection->Handle()) != ChangesBefore) {
                try {
                    ADOTable->Refresh();
                } catch (...) {
                }
            }
        }
        throw;
    }
    if (Own)
        ADOConnection->RollbackTrans();
    FMaxID = -1;
    ADOTable->Cancel();
    ADOTable->Refresh();
    throw EVexloChangedError(
        QCoreApplication::translate("TScreenSaverDataModule", ChangedByAnotherProgram));
}

void TScreenSaverDataModule::AppendEntry(const TEnBgRecord& Rec)
{
    ChangeData([&] {
        ADOTable->Append();
        AssignFields(Rec);
        // Read inside the write transaction: another copy may have appended meanwhile.
        const int32_t ID = GetMaxID() + 1;
        ADOTableID->SetAsInteger(ID);
        FMaxID = ID;
        ADOTable->Post();
    });
}

void TScreenSaverDataModule::UpdateCurrentEntry(const TEnBgRecord& Rec)
{
    ChangeData([&] {
        // The review's memory of the entry follows its new texts in the same transaction.
        const int32_t ID = ADOTableID->AsInteger();
        const auto Key = TReviewKeys::KeyOfId(ADOConnection->Handle(), ADOTable->IdExpression(), ID);
        ADOTable->Edit();
        AssignFields(Rec);
        ADOTable->Post();
        if (Key)
            TReviewKeys::Carry(ADOConnection->Handle(), ADOTable->IdExpression(), ID, *Key);
    });
}

void TScreenSaverDataModule::DeleteCurrentEntry()
{
    if (!ADOTable->Active() || ADOTable->RecNo() < 1)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TScreenSaverDataModule", "There is no entry to delete."));
    const int32_t N = ADOTableID->AsInteger();
    // The delete and the renumbering are one transaction: an interrupted delete never leaves a
    // gap in the numbers.
    try {
        ChangeData([&] {
            const auto Key =
                TReviewKeys::KeyOfId(ADOConnection->Handle(), ADOTable->IdExpression(), N);
            ADOTable->Delete();
            if (Key)
                TReviewKeys::Drop(ADOConnection->Handle(), *Key);
            if (FMaxID != -1)
                FMaxID = FMaxID - 1;
            const QString Id = QString::fromUtf8(ADOTable->IdExpression());
            if (ADOTable->UniqueIds()) {
                // A unique index refuses the IDs meeting on the way; go through far-off numbers.
                ADOConnection->Execute(
                    QStringLiteral("update English set ID = %1 - 1 - %2 where %1 > %3")
                        .arg(Id)
                        .arg(RenumberOffset)
                        .arg(N));
                ADOConnection->Execute(QStringLiteral("update English set ID = ID + %1 where "
                                                      "ID < -%2")
                                           .arg(RenumberOffset)
                                           .arg(RenumberOffset / 2));
            } else {
                ADOConnection->Execute(
                    QStringLiteral("update English set ID = %1 - 1 where %1 > %2").arg(Id).arg(N));
            }
            const int Expected = ADOTable->CountIdsAbove(N);
            const int Renumbered = sqlite3_changes(ADOConnection->Handle());
            if (Renumbered != Expected)
                throw EVexloDatabaseError(
                    QCoreApplication::translate(
                        "TScreenSaverDataModule",
                        "The entries after the deleted one could not be numbered "
                        "again (%1 of %2 changed). Nothing was deleted.")
                        .arg(Renumbered)
                        .arg(Expected));
        });
    } catch (const EVexloChangedError&) {
        throw;
    } catch (const EVexloFileChangedError&) {
        throw;
    } catch (...) {
        if (ADOTable->Active())
            ADOTable->Locate("ID", N, 0);
        throw;
    }
    // The table mirrors the new numbers instead of reading every row again.
    ADOTable->ShiftIdsAbove(N, 1);
    if (!ADOTable->Locate("ID", N, 0))
        ADOTable->First();
}

namespace {
// Text values only: a transcription another program stored as a blob is left as it is.
const QString ForeignStressMarks =
    QStringLiteral("typeof(TRANS) = 'text' and instr(TRANS, char(712)) > 0");
} // namespace

int TScreenSaverDataModule::CountForeignStressMarks()
{
    ADOConnection->CheckConnected();
    TVexloQuery Query(ADOConnection);
    Query.SQL = QStringLiteral("select count(*) as N from English where ") + ForeignStressMarks;
    Query.Open();
    return Query.Eof() ? 0 : Query.FieldByName(QStringLiteral("N")).AsInteger();
}

int TScreenSaverDataModule::UnifyStressMarks()
{
    int Changed = 0;
    ChangeData([&] {
        const int64_t Before = sqlite3_total_changes64(ADOConnection->Handle());
        ADOConnection->Execute(
            QStringLiteral("update English set TRANS = replace(TRANS, char(712), char(715)) where ") +
            ForeignStressMarks);
        Changed = static_cast<int>(sqlite3_total_changes64(ADOConnection->Handle()) - Before);
    });
    // The rows were changed beside the table: it reads them again and stays on the same entry.
    if (ADOTable->Active())
        ADOTable->Refresh();
    return Changed;
}

void TScreenSaverDataModule::DeleteAllEntries()
{
    ChangeData([&] {
        ADOConnection->Execute(QStringLiteral("delete from English"));
        TReviewKeys::DropAll(ADOConnection->Handle());
    });
    ADOTable->Close();
    ADOTable->Open();
    FMaxID = 0;
}

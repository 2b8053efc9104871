#include "store/TScreenSaverDataModule.h"

#include "store/TextCodec.h"

#include <QFileInfo>

#include <chrono>

TScreenSaverDataModule* ScreenSaverDataModule = nullptr;

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
        Messages.append(QStringLiteral("The file ") + Path + QStringLiteral(" does not exists !"));
        return;
    }
    ADOTable->Close();
    ADOConnection->Close();
    FMaxID = -1; // another file may hold other numbers
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
    ADOQuery->SQL = QStringLiteral("select Max(ID) as MAXID from English");
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
    ADOQuery->SQL =
        QStringLiteral("select EName from English where ID in (select Max(ID) from English)");
    ADOQuery->Open();
    if (ADOQuery->RecordCount() > 0)
        Result = ADOQuery->FieldByName("EName").AsAnsiString();
    ADOQuery->Close();
    return Result;
}

bool TScreenSaverDataModule::CountByLevel(int32_t* Counts, int High)
{
    ADOQuery->SQL = QStringLiteral("SELECT Count(English.ID) AS CountLevel, English.LEVEL FROM "
                                   "English GROUP BY English.LEVEL");
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
    ADOQuery->SQL = QStringLiteral("select * from English where ID = ") + QString::number(N);
    ADOQuery->Open();
    if (ADOQuery->RecordCount() > 0) {
        Rec.EnglishWord = ADOQuery->FieldByName("ENAME").AsString();
        Rec.BulgarianText = ADOQuery->FieldByName("BULG").AsString();
        Rec.Transcription = ADOQuery->FieldByName("TRANS").AsString();
        Rec.WordLevel = ADOQuery->FieldByName("LEVEL").AsInteger();
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

void TScreenSaverDataModule::AppendEntry(const TEnBgRecord& Rec)
{
    const int32_t RememberedMaxID = FMaxID;
    ADOTable->Append();
    try {
        AssignFields(Rec);
        const int32_t ID = GetMaxID() + 1;
        ADOTableID->SetAsInteger(ID);
        FMaxID = ID;
        ADOTable->Post();
    } catch (...) {
        // A refused row leaves neither a half-made row nor a number that was never stored.
        FMaxID = RememberedMaxID;
        ADOTable->Cancel();
        throw;
    }
}

void TScreenSaverDataModule::UpdateCurrentEntry(const TEnBgRecord& Rec)
{
    ADOTable->Edit();
    try {
        AssignFields(Rec);
        ADOTable->Post();
    } catch (...) {
        ADOTable->Cancel();
        throw;
    }
}

void TScreenSaverDataModule::DeleteCurrentEntry()
{
    if (!ADOTable->Active() || ADOTable->RecNo() < 1)
        throw EVexloDatabaseError(QStringLiteral("There is no entry to delete."));
    const int32_t N = ADOTableID->AsInteger();
    const int32_t RememberedMaxID = FMaxID;
    // The delete and the renumbering are one transaction: an interrupted delete never leaves a
    // gap in the numbers.
    ADOConnection->BeginTrans();
    try {
        ADOTable->Delete();
        if (FMaxID != -1)
            FMaxID = FMaxID - 1;
        ADOConnection->Execute(QStringLiteral("update english set ID = ID - 1 where ID > ") +
                               QString::number(N));
        ADOConnection->CommitTrans();
    } catch (...) {
        ADOConnection->RollbackTrans();
        FMaxID = RememberedMaxID;
        if (ADOTable->Active()) {
            ADOTable->Refresh();
            ADOTable->Locate("ID", N, 0);
        }
        throw;
    }
    // The table mirrors the new numbers instead of reading every row again.
    ADOTable->ShiftIdsAbove(N, 1);
    if (!ADOTable->Locate("ID", N, 0))
        ADOTable->First();
}

void TScreenSaverDataModule::DeleteAllEntries()
{
    ADOConnection->Execute(QStringLiteral("delete from English"));
    ADOTable->Close();
    ADOTable->Open();
    FMaxID = 0;
}

#include "tests/interchange/InterchangeTestSupport.h"

#include "store/TDataFileTool.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

void PrintTo(const TStoredRow& Row, std::ostream* Out)
{
    *Out << Row.ID << " [" << Row.ENAME.toStdString() << "] [" << Row.BULG.toStdString() << "] ["
         << Row.TRANS.toStdString() << "] " << Row.LEVEL;
}

QString Fixture(const QString& Name)
{
    return QStringLiteral(VEXLO_SOURCE_DIR "/tests/interchange/files/") + Name;
}

QString AccessSample(const QString& Name)
{
    return QStringLiteral(VEXLO_ACCESS_TESTDATA "/") + Name;
}

QString WriteFile(const QString& Path, const QByteArray& Bytes)
{
    QFile File(Path);
    EXPECT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate)) << Path.toStdString();
    EXPECT_EQ(File.write(Bytes), Bytes.size());
    return Path;
}

QString SparseFile(const QString& Path, qint64 Size)
{
    QString Out, Err;
    EXPECT_EQ(RunProgram("truncate", {"-s", QString::number(Size), Path}, Out, Err), 0)
        << Err.toStdString();
    return Path;
}

namespace {

QByteArray KvtmlHead(const QByteArray& Doctype = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + Doctype +
           "<kvtml version=\"2.0\">\n<identifiers><identifier id=\"0\"/><identifier "
           "id=\"1\"/></identifiers>\n";
}

} // namespace

QByteArray DeepKvtml(int Depth, bool InText)
{
    const QByteArray Open = InText ? "<b>" : "<container>";
    const QByteArray Close = InText ? "</b>" : "</container>";
    QByteArray Nest = Open.repeated(Depth) + "x" + Close.repeated(Depth);
    if (InText)
        return KvtmlHead() + "<entries><entry id=\"0\"><translation id=\"0\"><text>" + Nest +
               "</text></translation></entry></entries>\n</kvtml>\n";
    return KvtmlHead() + "<lessons>" + Nest + "</lessons>\n</kvtml>\n";
}

QByteArray EntityKvtml(int Length, int Uses)
{
    QByteArray Text = QByteArray("&e;").repeated(Uses);
    return KvtmlHead("<!DOCTYPE kvtml [<!ENTITY e \"" + QByteArray(Length, 'x') + "\">]>\n") +
           "<entries><entry id=\"0\"><translation id=\"0\"><text>word</text></translation>"
           "<translation id=\"1\"><text>" +
           Text + "</text></translation></entry></entries>\n</kvtml>\n";
}

int RunProgram(const QString& Program, const QStringList& Arguments, QString& Out, QString& Err,
               const QStringList& Environment)
{
    QProcess Process;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    for (const QString& Item : Environment)
        Env.insert(Item.section(u'=', 0, 0), Item.section(u'=', 1));
    Process.setProcessEnvironment(Env);
    Process.start(Program, Arguments);
    if (!Process.waitForFinished(60000)) {
        ADD_FAILURE() << Program.toStdString() << " did not finish";
        Process.kill();
        Process.waitForFinished();
        return -1;
    }
    Out = QString::fromUtf8(Process.readAllStandardOutput());
    Err = QString::fromUtf8(Process.readAllStandardError());
    return Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
}

void SqliteShell(const QString& Path, const QString& Sql)
{
    QString Out, Err;
    const int Code = RunProgram("sqlite3", {"-bail", Path, Sql}, Out, Err);
    ASSERT_EQ(Code, 0) << Err.toStdString();
}

QString SqlText(const QString& Text)
{
    QString Quoted = Text;
    Quoted.replace("'", "''");
    Quoted.replace("\r", "' || char(13) || '");
    Quoted.replace("\n", "' || char(10) || '");
    return "('" + Quoted + "')";
}

std::vector<TStoredRow> StoredRows(const QString& Path)
{
    QString Out, Err;
    const int Code =
        RunProgram("sqlite3", {"-json", Path,
                               "SELECT ID, ENAME, BULG, TRANS, LEVEL FROM English ORDER BY ID"},
                   Out, Err);
    EXPECT_EQ(Code, 0) << Err.toStdString();
    std::vector<TStoredRow> Rows;
    for (const QJsonValue& Value : QJsonDocument::fromJson(Out.toUtf8()).array()) {
        const QJsonObject Row = Value.toObject();
        Rows.push_back({Row["ID"].toInt(), Row["ENAME"].toString(), Row["BULG"].toString(),
                        Row["TRANS"].toString(), Row["LEVEL"].toInt()});
    }
    return Rows;
}

QString MakeDictionary(const QTemporaryDir& Dir, const QString& Name,
                       const std::vector<TEnBgRecord>& Rows)
{
    const QString Path = Dir.filePath(Name);
    TDataFileTool::CreateEmptyDataFile(Path);
    if (Rows.empty())
        return Path;
    QString Sql = "BEGIN;";
    int ID = 0;
    for (const TEnBgRecord& Row : Rows)
        Sql += QString("INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES (%1, %2, %3, %4, "
                       "%5);")
                   .arg(++ID)
                   .arg(SqlText(Row.EnglishWord), SqlText(Row.BulgarianText),
                        SqlText(Row.Transcription))
                   .arg(Row.WordLevel);
    SqliteShell(Path, Sql + "COMMIT;");
    return Path;
}

QString KvtmlOracle()
{
    const QString Oracle = qEnvironmentVariableIsSet("VEXLO_KVTML_ORACLE")
                               ? qEnvironmentVariable("VEXLO_KVTML_ORACLE")
                               : QStringLiteral(VEXLO_BINARY_DIR "/kvtml-oracle/vexlo-kvtml-oracle");
    return QFileInfo(Oracle).isExecutable() ? Oracle : QString();
}

void ExpectRows(const TSourceData& Data, const std::vector<TExpectedRow>& Rows)
{
    ASSERT_EQ(Data.Rows.size(), Rows.size());
    for (size_t I = 0; I < Rows.size(); ++I) {
        const TSourceRow& Got = Data.Rows[I];
        const TExpectedRow& Want = Rows[I];
        SCOPED_TRACE(I);
        EXPECT_EQ(Got.Line, Want.Line);
        EXPECT_EQ(Got.English, QString(Want.English));
        EXPECT_EQ(Got.Transcription, QString(Want.Transcription));
        EXPECT_EQ(Got.Bulgarian, QString(Want.Bulgarian));
        EXPECT_EQ(Got.Level, QString(Want.Level));
        EXPECT_TRUE(Got.Problem.isEmpty()) << Got.Problem.toStdString();
    }
}

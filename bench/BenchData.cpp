#include "bench/BenchData.h"

#include "store/TDataFileTool.h"

#include <QApplication>
#include <QFile>

#include <sqlite3.h>

#include <fstream>
#include <stdexcept>
#include <unistd.h>

void WriteBenchDataFile(const QString& Path, int Count,
                        const std::function<TBenchEntry(int ID)>& Make)
{
    TDataFileTool::CreateEmptyDataFile(Path);
    sqlite3* Db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(Path).constData(), &Db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(Db);
        throw std::runtime_error("cannot open the benchmark data file");
    }
    sqlite3_exec(Db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* Insert = nullptr;
    sqlite3_prepare_v2(Db, "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES (?,?,?,?,?)",
                       -1, &Insert, nullptr);
    for (int ID = 1; ID <= Count; ++ID) {
        const TBenchEntry Entry = Make(ID);
        sqlite3_bind_int(Insert, 1, ID);
        sqlite3_bind_text(Insert, 2, Entry.English.constData(), int(Entry.English.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(Insert, 3, Entry.Bulgarian.constData(), int(Entry.Bulgarian.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(Insert, 4, Entry.Transcription.constData(),
                          int(Entry.Transcription.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(Insert, 5, Entry.Level);
        sqlite3_step(Insert);
        sqlite3_reset(Insert);
    }
    sqlite3_finalize(Insert);
    sqlite3_exec(Db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(Db);
}

bool EnsureBenchApplication()
{
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int Argc = 1;
        static char Name[] = "vexlo-bench";
        static char* Argv[] = {Name, nullptr};
        new QApplication(Argc, Argv); // never destroyed: it lives as long as the process
    }
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

long ResidentBytes()
{
    std::ifstream Statm("/proc/self/statm");
    long Size = 0, Resident = 0;
    Statm >> Size >> Resident;
    return Resident * sysconf(_SC_PAGESIZE);
}

// Another program holds the data file's write lock (the sqlite3 shell inside BEGIN IMMEDIATE): a
// change waits for it, telling its observer all the while, and goes on once the lock is free; after
// the lock wait it gives up and changes nothing. The lock is released by the test when it has seen
// what it looks for, so no verdict depends on how fast anything runs.

#include "store/TVexloConnection.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/WaitUntil.h"

#include <QProcess>

#include <sqlite3.h>

namespace {

// Whether another connection holds the write lock of the file at Path.
bool WriteLocked(const QString& Path)
{
    sqlite3* Db = nullptr;
    if (sqlite3_open_v2(Path.toUtf8().constData(), &Db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(Db);
        return false;
    }
    const int Rc = sqlite3_exec(Db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (Rc == SQLITE_OK)
        sqlite3_exec(Db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(Db);
    return (Rc & 0xFF) == SQLITE_BUSY;
}

// The sqlite3 shell in a transaction that holds the write lock until Release.
class TLockHolder
{
public:
    explicit TLockHolder(const QString& Path)
    {
        Shell.start("sqlite3", {Path});
        Shell.write("BEGIN IMMEDIATE;\n");
        Shell.waitForBytesWritten(5000);
    }
    ~TLockHolder() { Release(); }
    bool Holding(const QString& Path) const
    {
        return WaitUntil([&] { return WriteLocked(Path); }, 30000);
    }
    void Release()
    {
        if (Shell.state() == QProcess::NotRunning)
            return;
        Shell.write("COMMIT;\n.quit\n");
        Shell.closeWriteChannel();
        Shell.waitForFinished(30000);
    }

private:
    QProcess Shell;
};


class LockWaitTest : public StoreFixture
{
protected:
    void TearDown() override
    {
        Store->ADOConnection->SetWaitObserver({});
        StoreFixture::TearDown();
    }
};

TEST_F(LockWaitTest, ChangeWaitsForAnotherProgramsLockAndTellsItsObserver)
{
    AppendWords({"apple", "banana", "cherry"});
    // Far longer than the test ever holds the lock.
    const TScopedValue Wait(TVexloConnection::LockWaitMs, 10 * 60 * 1000);
    TLockHolder Holder(Path);
    ASSERT_TRUE(Holder.Holding(Path));
    int LockWaits = 0, Work = 0;
    Store->ADOConnection->SetWaitObserver([&](TVexloConnection::TWait What) {
        if (What == TVexloConnection::TWait::wtLock && ++LockWaits == 3)
            Holder.Release(); // the waiting has been seen: the other program finishes
        if (What == TVexloConnection::TWait::wtWork)
            ++Work;
    });
    Store->AppendEntry(MakeEntry("date"));
    EXPECT_GE(LockWaits, 3);
    EXPECT_EQ(Store->GetEntryCount(), 4);
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(LockWaitTest, ChangeGivesUpAfterTheLockWaitAndChangesNothing)
{
    AppendWords({"apple", "banana"});
    const TScopedValue Wait(TVexloConnection::LockWaitMs, 30);
    TLockHolder Holder(Path);
    ASSERT_TRUE(Holder.Holding(Path));
    int LockWaits = 0;
    Store->ADOConnection->SetWaitObserver([&](TVexloConnection::TWait What) {
        LockWaits += What == TVexloConnection::TWait::wtLock;
    });
    EXPECT_THROW(Store->AppendEntry(MakeEntry("cherry")), EVexloDatabaseError);
    EXPECT_GE(LockWaits, 1);
    Holder.Release();
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2}));
    // Once the other program is done, the same change goes through.
    Store->AppendEntry(MakeEntry("cherry"));
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3}));
}

// A statement over many rows reports that it still works, however fast the machine: the engine
// counts its steps, not time.
TEST_F(LockWaitTest, LongStatementTellsItsObserver)
{
    AppendWords({"aardvark"});
    RawExec(Path, "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 50000) "
                  "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                  "SELECT i, printf('w%07d', i), 'дума', '', 1 FROM n;");
    Store->CheckDataFile();
    ASSERT_EQ(Store->GetEntryCount(), 50000);
    int Work = 0, LockWaits = 0;
    Store->ADOConnection->SetWaitObserver([&](TVexloConnection::TWait What) {
        (What == TVexloConnection::TWait::wtWork ? Work : LockWaits)++;
    });
    Store->ADOTable->First(); // aardvark: every other entry is numbered again
    Store->DeleteCurrentEntry();
    EXPECT_GT(Work, 0);
    EXPECT_EQ(LockWaits, 0);
    EXPECT_EQ(RawText(Path, "SELECT max(ID) || ' ' || count(*) FROM English"), "49999 49999");
    // Without an observer nothing is called.
    Store->ADOConnection->SetWaitObserver({});
    const int Before = Work;
    Store->DeleteCurrentEntry();
    EXPECT_EQ(Work, Before);
}

} // namespace

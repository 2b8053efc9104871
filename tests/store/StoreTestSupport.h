#pragma once

#include "store/TEnBgRecord.h"
#include "store/TScreenSaverDataModule.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

struct sqlite3;

TEnBgRecord MakeEntry(const QString& Word, int Level = 0, const QString& Bulgarian = "дума",
                      const QString& Transcription = "wɜːd");

// Runs SQL on a data file through a separate raw connection (for what other tools might write).
void RawExec(const QString& Path, const std::string& Sql);
// The IDs of the file in ascending order, read through a separate raw connection.
std::vector<int> RawIds(const QString& Path);

// Runs a script through the sqlite3 command-line shell on Path, the way a user of another tool
// makes or changes a file; fails the test when the shell reports an error.
void ShellExec(const QString& Path, const QString& Script);
// One row of the file as another program sees it: the ID as an integer, the English word's bytes.
struct TRawEntry
{
    long long ID;
    std::string Word;
    bool operator==(const TRawEntry&) const = default;
};
inline void PrintTo(const TRawEntry& Entry, std::ostream* Out)
{
    *Out << Entry.ID << ":" << Entry.Word;
}
// Every row, in the order of the IDs taken as integers.
std::vector<TRawEntry> RawEntries(const QString& Path);
// Runs one query through a raw connection and returns the first column of the first row as text.
std::string RawText(const QString& Path, const std::string& Sql);

// A fresh empty data file in a temporary folder and a store opened on it.
class StoreFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Appends the words in order (IDs 1..n).
    void AppendWords(std::initializer_list<const char*> Words);
    // The English words in table order.
    std::vector<std::string> TableWords() const;
    std::string CurrentWord() const;

    QTemporaryDir Dir;
    QString Path;
    TScreenSaverDataModule* Store = nullptr;
};

#pragma once

#include "store/TEnBgRecord.h"
#include "store/TScreenSaverDataModule.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

struct sqlite3;

TEnBgRecord MakeEntry(const QString& Word, int Level = 0, const QString& Bulgarian = "дума",
                      const QString& Transcription = "wɜːd");

// Runs SQL on a data file through a separate raw connection (for what other tools might write).
void RawExec(const QString& Path, const std::string& Sql);
// The IDs of the file in ascending order, read through a separate raw connection.
std::vector<int> RawIds(const QString& Path);

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

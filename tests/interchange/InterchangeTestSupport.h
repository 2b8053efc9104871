#pragma once

#include "interchange/TInterchange.h"
#include "store/TEnBgRecord.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

// (The main window's fixture brings the same printer.)
#ifndef VEXLO_QSTRING_PRINTER
inline void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}
#endif

// One dictionary row as the sqlite3 shell shows it.
struct TStoredRow
{
    int ID = 0;
    QString ENAME;
    QString BULG;
    QString TRANS;
    int LEVEL = 0;
    bool operator==(const TStoredRow&) const = default;
};
void PrintTo(const TStoredRow& Row, std::ostream* Out);

// A row a reader should give.
struct TExpectedRow
{
    int Line;
    const char* English;
    const char* Transcription;
    const char* Bulgarian;
    const char* Level;
};
// Expects Data to hold exactly Rows, none with a problem.
void ExpectRows(const TSourceData& Data, const std::vector<TExpectedRow>& Rows);

// A file of the fixture folder tests/interchange/files.
QString Fixture(const QString& Name);
// A file of the public sample Access databases.
QString AccessSample(const QString& Name);

// Runs SQL on Path with the sqlite3 shell; fails the test on an error.
void SqliteShell(const QString& Path, const QString& Sql);
// An SQL string literal for Text (line breaks and quotes included).
QString SqlText(const QString& Text);
// Every row of table English in ID order, read with the sqlite3 shell.
std::vector<TStoredRow> StoredRows(const QString& Path);

// An empty data file made by the program, then filled with Rows by the sqlite3 shell (IDs from 1).
QString MakeDictionary(const QTemporaryDir& Dir, const QString& Name,
                       const std::vector<TEnBgRecord>& Rows = {});

// Writes Bytes to Path (the file is made anew); fails the test when it cannot.
QString WriteFile(const QString& Path, const QByteArray& Bytes);
// A file of Size bytes that takes no room on disk, made by the truncate tool.
QString SparseFile(const QString& Path, qint64 Size);
// KDE vocabulary documents that attack the reader: Depth nested lessons (or, with InText, Depth
// nested elements inside an entry's text), and an entity of Length characters used Uses times.
QByteArray DeepKvtml(int Depth, bool InText);
QByteArray EntityKvtml(int Length, int Uses);

// KDE's vocabulary-document library as a program (see kvtml-oracle/main.cpp), or an empty string
// when it was not built.
QString KvtmlOracle();

// Runs a program; returns its exit code, with its output in Out and Err.
int RunProgram(const QString& Program, const QStringList& Arguments, QString& Out, QString& Err,
               const QStringList& Environment = {});

#pragma once

// Data files for the benchmarks: a new, empty data file filled with generated entries in one
// transaction, straight through SQLite so that making it does not cost benchmark time; and the
// one application object every benchmark that needs one shares.

#include <QByteArray>
#include <QString>

#include <functional>

struct TBenchEntry
{
    QByteArray English;       // UTF-8
    QByteArray Bulgarian;     // UTF-8, lines separated by CR LF
    QByteArray Transcription; // UTF-8
    int Level = 0;
};

// Creates the data file Path (replacing nothing: the caller checks whether it exists) with Count
// entries; Make(ID) gives the entry with that ID, for ID = 1..Count.
void WriteBenchDataFile(const QString& Path, int Count,
                        const std::function<TBenchEntry(int ID)>& Make);

// This process's QApplication, made on first use: on the X server when DISPLAY names one, else
// offscreen. False when another kind of application object was made first.
bool EnsureBenchApplication();

// This process's resident memory in bytes.
long ResidentBytes();

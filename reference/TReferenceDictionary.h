#pragma once

#include "reference/TDictdFile.h"
#include "reference/TReferenceEntry.h"

#include <QString>

#include <memory>

// What a look-up in the reference found for a text.
struct TReferenceResult
{
    QString Asked;     // the text as looked up
    QString FoundAs;   // the headword the entries belong to ("house" for "houses"); empty if none
    QList<TReferenceEntry> Entries;
    // Said to the user beside the entries: "a form of run", "the phrase is not in the reference;
    // its first word is". Empty for a headword found as asked.
    QString Note;
    // A file that could not be read at look-up time; the entries are then empty.
    QString Error;

    bool Found() const { return !Entries.isEmpty(); }
};

// A dictd dictionary opened for look-ups: the index in memory, the data file read entry by entry.
// A look-up finds the headword as typed (ignoring case and surrounding spaces and punctuation);
// failing that, its base form by TInflection's rules; failing that, for a phrase, its first word
// (and that word's base form). A word that is a headword and an inflected form at once
// ("lighter") gets both: its own entries first, then those of its base form.
class TReferenceDictionary
{
public:
    // The data file that belongs to an index: "x.index" has "x.dict.dz" or "x.dict".
    static QString DataPathFor(const QString& IndexPath);

    // Reads the index and checks the data file's header; false with one message if either is
    // missing, damaged or foreign.
    bool Open(const QString& IndexPath, QString* Error);
    TReferenceResult LookUp(const QString& Text);
    size_t HeadwordCount() const { return FIndex.Count(); }

private:
    // The entries of one headword exactly; false when reading failed (Error set).
    bool Entries(const QString& Headword, QList<TReferenceEntry>* Out, QString* Error);
    bool LookUpWord(const QString& Word, TReferenceResult* Result);

    TDictdIndex FIndex;
    TDictdData FData;
};

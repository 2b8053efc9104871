#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One sense of a reference entry: the Bulgarian words as the dictionary writes them (stress
// accents included, e.g. "къ́ща, къща") and the English gloss that says which meaning it is.
struct TReferenceSense
{
    QString Bulgarian;
    QString Gloss;
};

// One entry of a dictd dictionary in FreeDict's layout:
//
//   house //haʊs// //hʌʊs// <n>
//   1. стопа́нство, къща
//   an establishment, business
//   2. къ́ща, къща
//   archetypal structure of a human abode
//
// The first line holds the headword, any number of transcriptions between slashes (single or
// doubled; a bracketed narrow transcription such as /[ɫɐɪ̯ʔ]/ is left out) and the part of speech
// in angle brackets. A sense is a numbered line with the Bulgarian text, followed by its gloss;
// an entry of one sense has no number. A number left alone on a line (" 3.", or at the end of
// the previous sense's text, "лек 2.") starts a sense with the same Bulgarian text as the one
// before it. Entries of other dictd dictionaries that do not follow this layout still parse:
// their first line is the headword and each further paragraph a sense.
struct TReferenceEntry
{
    QString Headword;
    QStringList Transcriptions;
    QString PartOfSpeech;
    QList<TReferenceSense> Senses;

    static TReferenceEntry Parse(const QString& Text);
};

namespace TReferenceText {

// The Bulgarian text without the reference's stress accents (combining acute and grave), and
// with a word or phrase that the comma-separated list repeats (once stressed, once not) kept
// once: "дом, къ́ща, къща" becomes "дом, къща".
QString DropStress(const QString& Bulgarian);
// The list without its repetitions but with the stress accents: "дом, къ́ща, къща" becomes
// "дом, къ́ща".
QString KeepStress(const QString& Bulgarian);

// A transcription of the reference in the dictionary's manner, converted by the same rules as
// the suggestions of the speech engine: syllable dots, hyphens and brackets go, and stress marks
// are placed by the dictionary's rule (before the onset of their syllable).
QString HouseTranscription(const QString& ReferenceIpa);

// The first Bulgarian words of the senses, without accents and repetitions, joined by commas,
// at most MaxWords of them ("къща, дом, ка́мара" gives "къща, дом, камара").
QString FirstWords(const QList<TReferenceEntry>& Entries, int MaxWords);

} // namespace TReferenceText

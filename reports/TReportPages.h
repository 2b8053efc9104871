#pragma once

#include "reports/TPageBlocks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

class TScreenSaverDataModule;
class TVexloTable;

// The two HTML pages of the report window, built in memory as 8-bit text in the system code page,
// one line per item and every line ending in CR LF.

// Background colour of each word level, 0 to 9.
extern const std::array<const char*, 10> LevelColors;

// One UTF-16 code unit as page text: the modifier grave accent (U+02CB) becomes a plain grave
// accent, every other unit a decimal character reference ("&#1076;").
QByteArray EncodeChar(char16_t C);
// A text cut into trimmed lines, each line's code units encoded with EncodeChar, non-empty lines
// followed by ", " unless they are the last line.
QByteArray EncodeText(const QString& T);

// A fixed text of a page, from the catalog's Context, its %1, %2... filled with Figures in turn:
// its English bytes as ever, or, where the catalog of the language the user chose translates it,
// the translation written as the pages write any text (EncodeText).
QByteArray PageText(const char* Context, const char* Source, const QStringList& Figures = {});

// Escapes &, <, > and " so that a stored value can never change the structure of a page.
QByteArray EscapeHtml(const QByteArray& Text);

// The right-aligned footer of both pages, one line without its line end.
QByteArray FooterLine();

// What the statistics page shows.
struct TStatisticsFigures
{
    std::array<int32_t, 10> Counts{}; // entries per level 0..9
    int Total = 0;                    // all entries, whatever their level
    QByteArray DataFile;              // 8-bit text
    QByteArray LastWord;              // 8-bit text
};

QByteArray BuildStatisticsPage(const TStatisticsFigures& Figures);
// Collects the figures from Store (counts per level, last filled word),
// the record count of Table (the report window's own table on English) and the data file's path,
// then builds the page.
QByteArray BuildStatisticsPage(TScreenSaverDataModule& Store, TVexloTable& Table,
                               const QString& DataFile);

// The blocks of the dictionary listing, from their parts already in page form: a letter heading,
// and an entry's table in the colour of an odd or an even row (Transcription is the bracketed
// line, or empty for none). The sizes are those of the bytes written.
void AppendHeadingBlock(QByteArray& Out, QByteArrayView Letter);
qsizetype HeadingBlockSize(QByteArrayView Letter);
void AppendEntryBlock(QByteArray& Out, bool Odd, QByteArrayView Word,
                      QByteArrayView Transcription, QByteArrayView Bulgarian);
qsizetype EntryBlockSize(bool Odd, QByteArrayView Word, QByteArrayView Transcription,
                         QByteArrayView Bulgarian);

// Builds the dictionary listing one entry at a time, kept compact (see TPageBlocks).
class TPreviewPageBuilder
{
public:
    // ExpectedEntries only sizes the buffer.
    explicit TPreviewPageBuilder(int ExpectedEntries = 0);
    // EnglishWord is 8-bit text in the system code page.
    void AddEntry(const QByteArray& EnglishWord, const QString& Transcription,
                  const QString& BulgarianText);
    int EntryCount() const { return FEntries; }
    // The page as far as it is built, without its closing part, as a copy of its own.
    TPageBlocks SoFar() const { return FBlocks.First(FBlocks.Count()); }
    // Appends the rule, the footer and the closing lines; returns the page as its blocks.
    TPageBlocks FinishBlocks();
    // The same, as bytes.
    QByteArray Finish() { return FinishBlocks().Page(); }

private:
    TPageBlocks FBlocks;
    QByteArray FLetter; // lower-cased first character of the current heading
    QByteArray FWord, FTranscription, FBulgarian; // the parts of the entry being added
    int FRow = 1;
    int FEntries = 0;
};

// Called once before the first entry (with 0) and after every entry with the number of entries
// done; returns false to stop the build. The entries done stay in the page and the page is finished
// as usual.
using TAfterEntry = std::function<bool(int Done)>;

// Lists every entry of Table in its order (English word ascending) into a page. AfterEntry may be
// empty.
TPageBlocks BuildPreviewBlocks(TVexloTable& Table, const TAfterEntry& AfterEntry);
// The same; once FirstEntries entries are done (or all of them, if fewer), FirstPart is given
// the page so far, without its closing part, so that it can be shown while the rest is built.
TPageBlocks BuildPreviewBlocks(TVexloTable& Table, const TAfterEntry& AfterEntry,
                               int FirstEntries,
                               const std::function<void(const TPageBlocks&)>& FirstPart);
QByteArray BuildPreviewPage(TVexloTable& Table, const TAfterEntry& AfterEntry);

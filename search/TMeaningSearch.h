#pragma once

#include "search/TMeaningIndex.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class TVexloTable;

// A search by meaning over a table: which rows (positions in the table's order) have a line or
// word of their Bulgarian text that begins with the search text, how many, and which comes next
// or before a given row. The matches are kept as one bit per row, so stepping and counting never
// sort anything, whatever the number of matches.
class TMeaningSearch
{
public:
    // The index to search, or nullptr while there is none (Ready is then false).
    void SetIndex(std::shared_ptr<const TMeaningIndex> Index);
    bool Ready() const { return FIndex != nullptr; }
    // Reads the rows' IDs again from Table (after its rows changed or moved); keeps the query and
    // finds it again.
    void SetTable(const TVexloTable* Table);

    // Finds the rows for Text (an empty text finds nothing) and returns how many there are.
    int Find(const QString& Text);
    const QString& Text() const { return FText; }
    const QByteArray& FoldedQuery() const { return FQuery; }
    int Count() const { return FCount; }
    bool IsMatch(int Row) const;
    // The first matching row after Row (from the top when Row is -1), wrapping round to the first;
    // -1 when nothing matches.
    int Next(int Row) const;
    // The last matching row before Row, wrapping round to the last; -1 when nothing matches.
    int Prior(int Row) const;
    // Which match Row is, counted from 1 in table order; 0 when it is none.
    int Ordinal(int Row) const;

private:
    void MapRows();
    void Refind();
    std::shared_ptr<const TMeaningIndex> FIndex;
    const TVexloTable* FTable = nullptr;
    std::vector<int32_t> FRowOfEntry; // the table row of each index entry, or -1
    std::vector<uint64_t> FBits;      // one bit per table row
    int FRowCount = 0;
    QString FText;
    QByteArray FQuery;
    int FCount = 0;
};

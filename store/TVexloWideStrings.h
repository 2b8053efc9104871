#pragma once

#include <QString>

#include <memory>
#include <vector>

// A small ordered list of wide strings. SetText cuts a multi-line text into trimmed lines.
class TVexloWideStrings
{
public:
    TVexloWideStrings() = default;
    ~TVexloWideStrings() = default;
    TVexloWideStrings(const TVexloWideStrings&) = delete;
    TVexloWideStrings& operator=(const TVexloWideStrings&) = delete;

    // Appends a copy of S.
    void Add(const QString& S);
    int Count() const;
    // The item at Index (0-based); the empty string when Index is out of range.
    QString Get(int Index) const;
    void Clear();
    // Clears the list, then adds one item per line of T. CR LF, a lone CR and a lone LF each end a
    // line; characters 0..32 are trimmed from both ends of every line; a U+0000 ends the text; a
    // break at the very end adds no empty last item.
    void SetText(const QString& T);

private:
    std::vector<std::unique_ptr<QString>> FList;
};

#pragma once

#include <QString>
#include <QStringView>

// The guard of .csv files against spreadsheets running a text as a formula: a text that begins
// (after any apostrophes) with = + - or @ is written with one more apostrophe in front, and reading
// takes that apostrophe off again, so that any text comes back exactly.
namespace TFormulaGuard {

inline bool IsFormulaStart(QChar C)
{
    return C == u'=' || C == u'+' || C == u'-' || C == u'@';
}

// Whether Field, after at least Apostrophes leading apostrophes, begins like a formula.
inline bool BeginsLikeFormula(QStringView Field, qsizetype Apostrophes)
{
    qsizetype I = 0;
    while (I < Field.size() && Field[I] == u'\'')
        ++I;
    return I >= Apostrophes && I < Field.size() && IsFormulaStart(Field[I]);
}

inline QString Guard(const QString& Field)
{
    return BeginsLikeFormula(Field, 0) ? u'\'' + Field : Field;
}

inline void Unguard(QString& Field)
{
    if (BeginsLikeFormula(Field, 1))
        Field.remove(0, 1);
}

} // namespace TFormulaGuard

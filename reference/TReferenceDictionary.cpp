#include "reference/TReferenceDictionary.h"

#include "reference/TInflection.h"

#include <QCoreApplication>
#include <QFileInfo>

QString TReferenceDictionary::DataPathFor(const QString& IndexPath)
{
    QString Base = IndexPath;
    if (Base.endsWith(QLatin1String(".index")))
        Base.chop(6);
    const QString Compressed = Base + QStringLiteral(".dict.dz");
    if (QFileInfo::exists(Compressed))
        return Compressed;
    return Base + QStringLiteral(".dict");
}

bool TReferenceDictionary::Open(const QString& IndexPath, QString* Error)
{
    const QString DataPath = DataPathFor(IndexPath);
    if (!QFileInfo::exists(IndexPath)) {
        *Error = QCoreApplication::translate("TReferenceDictionary",
                                             "The reference index %1 does not exist.")
                     .arg(IndexPath);
        return false;
    }
    if (!FData.Open(DataPath, Error) || !FIndex.Load(IndexPath, Error))
        return false;
    if (FData.Size() != 0 && FIndex.End() > FData.Size()) {
        *Error = QCoreApplication::translate(
                     "TReferenceDictionary",
                     "The reference dictionary %1 is shorter than its index says; "
                     "it may have been cut short or belong to another index.")
                     .arg(QFileInfo(DataPath).fileName());
        return false;
    }
    return true;
}

bool TReferenceDictionary::Entries(const QString& Headword, QList<TReferenceEntry>* Out,
                                   QString* Error)
{
    for (const TDictdIndex::TEntry& E : FIndex.Find(Headword)) {
        QByteArray Text;
        if (!FData.Read(E.Offset, E.Length, &Text, Error))
            return false;
        TReferenceEntry Entry = TReferenceEntry::Parse(QString::fromUtf8(Text));
        if (Entry.Headword.isEmpty())
            Entry.Headword = Headword;
        Out->append(std::move(Entry));
    }
    return true;
}

bool TReferenceDictionary::LookUpWord(const QString& Word, TReferenceResult* Result)
{
    if (!Entries(Word, &Result->Entries, &Result->Error))
        return false;
    if (Result->Found())
        Result->FoundAs = Result->Entries.first().Headword;
    for (const QString& Base : TInflection::BaseForms(Word)) {
        QList<TReferenceEntry> More;
        if (!Entries(Base, &More, &Result->Error))
            return false;
        if (More.isEmpty())
            continue;
        if (!Result->Found()) {
            Result->FoundAs = More.first().Headword;
            Result->Note =
                QCoreApplication::translate("TReferenceDictionary", "a form of %1").arg(Base);
        } else {
            Result->Note =
                QCoreApplication::translate("TReferenceDictionary", "also a form of %1").arg(Base);
        }
        Result->Entries += More;
        break;
    }
    return Result->Found();
}

TReferenceResult TReferenceDictionary::LookUp(const QString& Text)
{
    TReferenceResult Result;
    // Copied text often brings quotes, brackets and sentence punctuation along.
    QString Asked = Text.section(QLatin1Char('\n'), 0, 0).simplified();
    auto Strip = [](QChar C) { return !C.isLetterOrNumber(); };
    while (!Asked.isEmpty() && Strip(Asked.front()))
        Asked.remove(0, 1);
    while (!Asked.isEmpty() && Strip(Asked.back()))
        Asked.chop(1);
    Result.Asked = Asked;
    if (Asked.isEmpty() || Asked.size() > 200)
        return Result;
    if (LookUpWord(Asked, &Result) || !Result.Error.isEmpty())
        return Result;
    const qsizetype Space = Asked.indexOf(QLatin1Char(' '));
    if (Space > 0) {
        QString First = Asked.left(Space);
        while (!First.isEmpty() && Strip(First.back()))
            First.chop(1);
        if (!First.isEmpty() && LookUpWord(First, &Result)) {
            const QString Form = Result.Note;
            Result.Note = QCoreApplication::translate(
                "TReferenceDictionary", "the phrase is not in the reference; its first word is");
            if (!Form.isEmpty())
                Result.Note += QStringLiteral(" (%1)").arg(Form);
        }
    }
    return Result;
}

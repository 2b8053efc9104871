#include "app/TReferenceHint.h"

#include "reference/TReference.h"
#include "settings/TReferenceSettings.h"

TReferenceHint::TReferenceHint(QObject* Parent) : QObject(Parent)
{
    connect(TReference::Shared(), &TReference::Loaded, this, &TReferenceHint::Loaded);
}

QString TReferenceHint::For(const QString& Word)
{
    TReferenceSettings::Live().Apply();
    const TReferenceResult Result = TReference::Shared()->LookUp(Word);
    if (!Result.Found())
        return {};
    QString Hint = QStringLiteral(" \u2014 ") +
                   tr("reference: %1").arg(TReferenceText::FirstWords(Result.Entries, Words));
    if (!Result.Note.isEmpty())
        Hint += QStringLiteral(" (%1)").arg(Result.Note);
    return Hint;
}

#include "interchange/TImportRules.h"

#include "store/TextCodec.h"

#include <QCoreApplication>

namespace TImportRules {

namespace {

// A control character other than tab and the line breaks.
bool HasControl(const QString& Text)
{
    for (const QChar C : Text) {
        const char16_t U = C.unicode();
        if (U >= 0x20 && (U < 0x7F || U > 0x9F)) // C0, DEL and C1 are controls
            continue;
        if (U == u'\r' || U == u'\n' || U == u'\t')
            continue;
        return true;
    }
    return false;
}

bool HasNonAscii(const QString& Text)
{
    for (const QChar C : Text)
        if (C.unicode() >= 0x80)
            return true;
    return false;
}

} // namespace

QString WithCrLf(const QString& Text)
{
    const qsizetype Lfs = Text.count(u'\n');
    const qsizetype Crs = Text.count(u'\r');
    if (Crs == 0) {
        if (Lfs == 0)
            return Text;
        QString Result = Text;
        return Result.replace(u'\n', QLatin1StringView("\r\n"));
    }
    if (Crs == Lfs && Text.count(QLatin1StringView("\r\n")) == Crs)
        return Text; // CR LF already
    QString Result;
    Result.reserve(Text.size() + 8);
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (C == u'\r') {
            Result += QLatin1StringView("\r\n");
            if (I + 1 < Text.size() && Text[I + 1] == u'\n')
                ++I;
        } else if (C == u'\n') {
            Result += QLatin1StringView("\r\n");
        } else {
            Result += C;
        }
    }
    return Result;
}

bool IsEmptyRow(const TSourceRow& Row)
{
    return Row.Problem.isEmpty() && Row.English.trimmed().isEmpty() &&
           Row.Transcription.trimmed().isEmpty() && Row.Bulgarian.trimmed().isEmpty() &&
           Row.Level.trimmed().isEmpty();
}

bool CheckRow(const TSourceRow& Row, TEnBgRecord& Entry, QString& Reason)
{
    if (!Row.Problem.isEmpty()) {
        Reason = Row.Problem;
        return false;
    }
    if (Row.English.trimmed().isEmpty()) {
        Reason = QCoreApplication::translate("TInterchange", "the English word is empty");
        return false;
    }
    // The English word is kept as the 8-bit form holds it (ASCII always survives that).
    Entry.EnglishWord =
        HasNonAscii(Row.English) ? TextCodec::ThroughNarrow(Row.English) : Row.English;
    Entry.Transcription = Row.Transcription;
    Entry.BulgarianText = WithCrLf(Row.Bulgarian);
    // Tabs and line breaks are kept in every part: other programs store them, and a file this
    // program wrote from such a dictionary must come back as it was.
    if (HasControl(Entry.EnglishWord)) {
        Reason = QCoreApplication::translate("TInterchange",
                                             "the English word holds a control character");
        return false;
    }
    if (HasControl(Entry.Transcription)) {
        Reason = QCoreApplication::translate("TInterchange",
                                             "the transcription holds a control character");
        return false;
    }
    if (HasControl(Entry.BulgarianText)) {
        Reason = QCoreApplication::translate("TInterchange",
                                             "the Bulgarian text holds a control character");
        return false;
    }
    if (Entry.EnglishWord.size() > EnglishWidth) {
        Reason = QCoreApplication::translate("TInterchange",
                                             "the English word is longer than %1 characters")
                     .arg(EnglishWidth);
        return false;
    }
    if (Entry.Transcription.size() > TranscriptionWidth) {
        Reason = QCoreApplication::translate("TInterchange",
                                             "the transcription is longer than %1 characters")
                     .arg(TranscriptionWidth);
        return false;
    }
    if (Entry.BulgarianText.size() > BulgarianWidth) {
        Reason = QCoreApplication::translate("TInterchange",
                                             "the Bulgarian text is longer than %1 characters")
                     .arg(BulgarianWidth);
        return false;
    }
    const QString Level = Row.Level.trimmed();
    Entry.WordLevel = 0;
    if (!Level.isEmpty()) {
        bool Ok = false;
        const int Value = Level.toInt(&Ok);
        if (!Ok || Value < 0 || Value > 9) {
            Reason = QCoreApplication::translate("TInterchange",
                                                 "the level is not a number from 0 to 9");
            return false;
        }
        Entry.WordLevel = Value;
    }
    return true;
}

} // namespace TImportRules

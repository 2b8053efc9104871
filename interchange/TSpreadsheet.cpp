#include "interchange/TSpreadsheet.h"

#include "interchange/TSpreadsheetParts.h"
#include "interchange/TTableRows.h"
#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>
#include <quazip/quazipnewinfo.h>

#include <zlib.h>

#include <algorithm>

namespace TSpreadsheetParts {

QString KindName(TInterchangeFormat Format)
{
    return Format == TInterchangeFormat::Ods
               ? QCoreApplication::translate("TSpreadsheet", "OpenDocument spreadsheet (.ods)")
               : QCoreApplication::translate("TSpreadsheet", "Excel workbook (.xlsx)");
}

void Broken(TInterchangeFormat Format, const QString& Detail)
{
    throw EVexloDatabaseError(
        QCoreApplication::translate("TSpreadsheet", "The file is not a readable %1: %2.")
            .arg(KindName(Format), Detail));
}

namespace {

[[noreturn]] void Encrypted()
{
    throw EVexloDatabaseError(QCoreApplication::translate(
        "TSpreadsheet", "The file is protected with a password. Save it without a password in "
                        "the spreadsheet program and import it again."));
}

} // namespace

TZipArchive::TZipArchive(const QByteArray& Bytes, TInterchangeFormat Format)
    : FBytes(Bytes), FBuffer(&FBytes), FZip(std::make_unique<QuaZip>(&FBuffer)), FFormat(Format)
{
    // An encrypted workbook, and an old Excel file, are compound documents, not zip archives.
    if (FBytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TSpreadsheet",
            "The file is protected with a password, or is an old Excel file (.xls). Save it as "
            "%1 without a password in the spreadsheet program and import it again.")
                                      .arg(KindName(Format)));
    if (!FZip->open(QuaZip::mdUnzip))
        Broken(Format, QCoreApplication::translate("TSpreadsheet",
                                                   "it is not a zip archive, or it is damaged"));
}

TZipArchive::~TZipArchive()
{
    FZip->close();
}

bool TZipArchive::Has(const QString& Name)
{
    return FZip->setCurrentFile(Name, QuaZip::csSensitive);
}

QByteArray TZipArchive::Read(const QString& Name)
{
    if (!FZip->setCurrentFile(Name, QuaZip::csSensitive))
        Broken(FFormat, QCoreApplication::translate("TSpreadsheet", "it has no part %1").arg(Name));
    QuaZipFileInfo64 Info;
    if (!FZip->getCurrentFileInfo(&Info))
        Broken(FFormat, QCoreApplication::translate("TSpreadsheet", "its part %1 is damaged")
                            .arg(Name));
    if (Info.isEncrypted())
        Encrypted();
    auto TooLarge = [&] {
        throw EVexloDatabaseError(
            QCoreApplication::translate("TSpreadsheet",
                                        "The file unpacks to more than %1 MB, far more than a "
                                        "word list needs; it was not read.")
                .arg(MaxUnpacked >> 20));
    };
    // The size the archive states is only a first check: the reading below counts what comes.
    if (Info.uncompressedSize > quint64(MaxUnpacked - FUnpacked))
        TooLarge();
    QuaZipFile File(FZip.get());
    if (!File.open(QIODevice::ReadOnly))
        Broken(FFormat, QCoreApplication::translate("TSpreadsheet", "its part %1 is damaged")
                            .arg(Name));
    QByteArray Bytes;
    // Room for the stated size, but never more than deflate can unpack the packed bytes to (at
    // most 1032 times their size): the stated size may be a lie.
    Bytes.reserve(static_cast<qsizetype>(
        std::min<quint64>(Info.uncompressedSize, Info.compressedSize * 1032 + 65536)));
    char Chunk[65536];
    for (;;) {
        const qint64 Got = File.read(Chunk, sizeof Chunk);
        if (Got < 0)
            Broken(FFormat, QCoreApplication::translate("TSpreadsheet", "its part %1 is damaged")
                                .arg(Name));
        if (Got == 0)
            break;
        FUnpacked += Got;
        if (FUnpacked > MaxUnpacked)
            TooLarge();
        Bytes.append(Chunk, Got);
    }
    File.close();
    if (File.getZipError() != UNZ_OK || Bytes.size() != qsizetype(Info.uncompressedSize))
        Broken(FFormat, QCoreApplication::translate("TSpreadsheet", "its part %1 is damaged")
                            .arg(Name));
    return Bytes;
}

TZipWriter::TZipWriter() : FBuffer(&FBytes), FZip(std::make_unique<QuaZip>(&FBuffer))
{
    if (!FZip->open(QuaZip::mdCreate))
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TSpreadsheet", "The spreadsheet file cannot be made (zip error %1).")
                                      .arg(FZip->getZipError()));
}

TZipWriter::~TZipWriter()
{
    if (FZip->isOpen())
        FZip->close();
}

void TZipWriter::Add(const QString& Name, const QByteArray& Bytes, bool Stored)
{
    QuaZipFile File(FZip.get());
    QuaZipNewInfo Info(Name);
    Info.dateTime = QDateTime::currentDateTime();
    const bool Opened = File.open(QIODevice::WriteOnly, Info, nullptr, 0,
                                  Stored ? 0 : Z_DEFLATED, Stored ? 0 : Z_DEFAULT_COMPRESSION);
    if (!Opened || File.write(Bytes) != Bytes.size() || (File.close(), File.getZipError() != 0))
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TSpreadsheet", "The spreadsheet file cannot be made (zip error %1).")
                                      .arg(File.getZipError()));
}

QByteArray TZipWriter::Finish()
{
    FZip->close();
    if (FZip->getZipError() != 0)
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TSpreadsheet", "The spreadsheet file cannot be made (zip error %1).")
                                      .arg(FZip->getZipError()));
    return FBytes;
}

void TSheetRows::StartRow(qint64 Number)
{
    FRow = Number;
    FFields.clear();
}

void TSheetRows::Cell(qint64 Column, const QString& Text, qint64 Repeat)
{
    if (Text.isEmpty() || Column < 0 || Column >= MaxColumns)
        return;
    const qint64 End = std::min(Column + std::max<qint64>(Repeat, 1), MaxColumns);
    if (Column < FFields.size()) { // a cell given again (out of order): the last one counts
        for (qint64 At = Column; At < End && At < FFields.size(); ++At)
            FFields[At] = Text;
        for (qint64 At = FFields.size(); At < End; ++At)
            FFields.append(Text);
        return;
    }
    while (FFields.size() < Column)
        FFields.append(QString());
    while (FFields.size() < End)
        FFields.append(Text);
}

void TSheetRows::EndRow(qint64 Repeat)
{
    if (FFields.isEmpty())
        return;
    Repeat = std::max<qint64>(Repeat, 1);
    if (FRow + Repeat - 1 > MaxRows || FCells + Repeat * FFields.size() > MaxCells)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TSpreadsheet",
                                        "The sheet is too large to import: it has text past row "
                                        "%1, or more than %2 cells.")
                .arg(MaxRows)
                .arg(MaxCells));
    FCells += Repeat * FFields.size();
    for (qint64 K = 0; K < Repeat; ++K) {
        TDelimitedText::TRecord Record;
        Record.Line = static_cast<int>(FRow + K);
        Record.Fields = FFields;
        FRecords.push_back(std::move(Record));
    }
    FFields.clear();
}

TPartReader::TPartReader(const QByteArray& Bytes, TInterchangeFormat Format, QString Part)
    : QXmlStreamReader(Bytes), FFormat(Format), FPart(std::move(Part))
{
    setNamespaceProcessing(true);
}

QXmlStreamReader::TokenType TPartReader::Next()
{
    const TokenType Token = readNext();
    if (Token == DTD)
        Fail(QCoreApplication::translate("TSpreadsheet", "it declares a document type"));
    if (Token == Invalid)
        CheckEnd();
    return Token;
}

bool TPartReader::NextChild()
{
    for (;;) {
        switch (Next()) {
        case StartElement:
            return true;
        case EndElement:
            return false;
        case EndDocument:
            Fail(QCoreApplication::translate("TSpreadsheet", "it ends too early"));
        default:
            break;
        }
    }
}

void TPartReader::CheckEnd()
{
    if (hasError())
        Fail(errorString());
}

void TPartReader::Fail(const QString& Detail) const
{
    Broken(FFormat, QCoreApplication::translate("TSpreadsheet", "its part %1, line %2: %3")
                        .arg(FPart)
                        .arg(lineNumber())
                        .arg(Detail));
}

qint64 Count(QStringView Value, qint64 Max)
{
    bool Ok = false;
    const qint64 N = Value.toLongLong(&Ok);
    return Ok && N >= 1 ? std::min(N, Max) : 1;
}

} // namespace TSpreadsheetParts

namespace TSpreadsheet {

using namespace TSpreadsheetParts;

std::vector<TDelimitedText::TRecord> ReadCells(const QByteArray& Bytes, TInterchangeFormat Format)
{
    TZipArchive Zip(Bytes, Format);
    return Format == TInterchangeFormat::Ods ? ReadOdsCells(Zip) : ReadXlsxCells(Zip);
}

TSourceData Read(const QByteArray& Bytes, TInterchangeFormat Format, const TReadOptions& Options)
{
    TSourceData Data = TTableRows::ReadTable(ReadCells(Bytes, Format), Options);
    Data.LineWord = QStringLiteral("row");
    return Data;
}

QByteArray Write(const std::vector<TEnBgRecord>& Entries, TInterchangeFormat Format)
{
    // XML cannot carry U+FFFE and U+FFFF, nor (in an OpenDocument file) control characters
    // other than tab and the line breaks; an Office Open XML file writes those as _xHHHH_.
    for (size_t N = 0; N < Entries.size(); ++N) {
        const TEnBgRecord& Entry = Entries[N];
        for (const QString* Text : {&Entry.EnglishWord, &Entry.Transcription, &Entry.BulgarianText})
            for (const QChar C : *Text) {
                const char16_t U = C.unicode();
                const bool Control = U < 0x20 && U != u'\t' && U != u'\n' && U != u'\r';
                if (U == 0xFFFE || U == 0xFFFF || (Control && Format == TInterchangeFormat::Ods))
                    throw EVexloDatabaseError(
                        QCoreApplication::translate(
                            "TInterchange",
                            "Entry %1 (%2) holds the character U+%3, which a %4 file cannot "
                            "carry; nothing was written. Correct the entry and export again.")
                            .arg(N + 1)
                            .arg(Entry.EnglishWord.left(30))
                            .arg(U, 4, 16, QChar(u'0'))
                            .arg(KindName(Format)));
            }
    }
    return Format == TInterchangeFormat::Ods ? WriteOds(Entries) : WriteXlsx(Entries);
}

} // namespace TSpreadsheet

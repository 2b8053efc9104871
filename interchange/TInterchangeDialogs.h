#pragma once

#include "interchange/TInterchange.h"

#include <QDialog>
#include <QString>

#include <functional>

class QComboBox;
class QWidget;
class TAccessFile;
class TProgressForm;

// The windows of an import or export: choosing the file and its format, choosing an Access table
// and its columns, the progress of a long import. Each has a seam through which tests answer it
// without showing it.
namespace TInterchangeDialogs {

// The file dialog. Save: for an export. Returns false when cancelled; else Path and the format
// (from the chosen filter, or from the name when "by name" was chosen).
bool ChooseFile(QWidget* Parent, bool Save, QString& Path, TInterchangeFormat& Format);
// Test seam: when set, answers ChooseFile with (Path, Format); an empty path cancels.
inline std::function<std::pair<QString, TInterchangeFormat>(bool Save)> FileAnswer;

// Reads a text or KDE vocabulary file, asking the user where the file leaves a doubt: its
// encoding (8-bit text that is not plainly Windows-1251), what three columns without a header
// row hold, or which languages of a KDE vocabulary document are English and Bulgarian (more than
// two, or codes that name neither). Returns false when the user cancelled; throws
// EVexloDatabaseError.
bool ReadFileAsking(QWidget* Parent, const QString& Path, TInterchangeFormat Format,
                    TSourceData& Data);
// Test seams: when set, answer the questions of ReadFileAsking; an empty answer cancels.
// EncodingAnswer gets the reader's message, TextColumnsAnswer the first rows ("a | b | c").
inline std::function<QString(const QString& Message)> EncodingAnswer;
inline std::function<QStringList(const QStringList& Sample)> TextColumnsAnswer;
// LanguagesAnswer gets the document's languages and the reader's suggestion (positions of English
// and Bulgarian) and returns the positions chosen.
inline std::function<QList<int>(const QStringList& Languages, const QList<int>& Suggested)>
    LanguagesAnswer;

// The table and columns of an Access file: the dialog, first filled with table English or a
// guess. Returns false when cancelled.
bool ChooseColumns(QWidget* Parent, const TAccessFile& File, TAccessColumns::TColumnMap& Map);
// The columns to read from an Access file: its table English when it has one, else what the user
// chooses. Returns false when cancelled; throws EVexloDatabaseError for a file without tables.
bool ChooseAccessColumns(QWidget* Parent, const TAccessFile& File, TAccessColumns::TColumnMap& Map);
// Test seam: when set, answers ChooseColumns (it may change Map; false cancels).
inline std::function<bool(const TAccessFile& File, TAccessColumns::TColumnMap& Map)> ColumnsAnswer;

// Opening an Access file as a dictionary: converts its table English, or the table and columns
// the user chooses (ChooseColumns), into a new data file at Target (empty: beside the Access file,
// see TInterchange::ConvertedPath). Returns the new file's path, or an empty string when the user
// cancelled; throws EVexloDatabaseError. The Access file is only read.
QString ConvertAccessFileAsking(QWidget* Parent, const QString& Source,
                                const QString& Target = QString(),
                                TInterchange::TImportSummary* Summary = nullptr);

// Imports with a progress window (with its Stop button as Cancel) when Rows is at least
// ProgressFrom, and with Confirm asked at the end.
TInterchange::TImportSummary ImportWithProgress(QWidget* Parent, TScreenSaverDataModule& Store,
                                                const TSourceData& Data,
                                                const TInterchange::TConfirm& Confirm);
inline qsizetype ProgressFrom = 5000;
// Test seam: called with the progress window each time it is brought up to date.
inline std::function<void(TProgressForm* Form)> ProgressShown;

} // namespace TInterchangeDialogs

// The column-mapping dialog of an Access import.
class TColumnMapDialog : public QDialog
{
    Q_OBJECT

public:
    TColumnMapDialog(QWidget* Parent, const TAccessFile& File,
                     const TAccessColumns::TColumnMap& Map);

    QComboBox* TableBox = nullptr;
    QComboBox* EnglishBox = nullptr;
    QComboBox* TranscriptionBox = nullptr;
    QComboBox* BulgarianBox = nullptr;
    QComboBox* LevelBox = nullptr;

    TAccessColumns::TColumnMap Map() const;

private:
    void FillColumns(const TAccessColumns::TColumnMap& Map);
    const TAccessFile& FFile;
};

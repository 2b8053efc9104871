#include "interchange/TInterchangeDialogs.h"

#include "interchange/TAccessFile.h"
#include "interchange/TForeignText.h"
#include "widgets/TFileDialog.h"
#include "widgets/TProgressForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace TInterchangeDialogs {

namespace {

struct TFilter
{
    const char* Text;
    TInterchangeFormat Format;
    bool Save; // offered when exporting
};

const TFilter Filters[] = {
    {QT_TRANSLATE_NOOP("TInterchangeDialogs",
                       "Tab-separated text, flashcard programs (*.tsv *.txt *.tab)"),
     TInterchangeFormat::Tsv, true},
    {QT_TRANSLATE_NOOP("TInterchangeDialogs", "Comma-separated text (*.csv)"),
     TInterchangeFormat::Csv, true},
    {QT_TRANSLATE_NOOP("TInterchangeDialogs", "KDE vocabulary documents (*.kvtml)"),
     TInterchangeFormat::Kvtml, true},
    {QT_TRANSLATE_NOOP("TInterchangeDialogs", "OpenDocument spreadsheets (*.ods)"),
     TInterchangeFormat::Ods, true},
    {QT_TRANSLATE_NOOP("TInterchangeDialogs", "Excel workbooks (*.xlsx)"),
     TInterchangeFormat::Xlsx, true},
    {QT_TRANSLATE_NOOP("TInterchangeDialogs", "Anki notes, transcription on the front (*.txt)"),
     TInterchangeFormat::AnkiFront, true},
    {QT_TRANSLATE_NOOP("TInterchangeDialogs", "Anki notes, transcription on the back (*.txt)"),
     TInterchangeFormat::AnkiBack, true},
    {QT_TRANSLATE_NOOP("TInterchangeDialogs", "Access databases (*.mdb *.accdb)"),
     TInterchangeFormat::Access, false},
};

const char* const AllFilter = QT_TRANSLATE_NOOP(
    "TInterchangeDialogs", "All word files (*.tsv *.txt *.tab *.csv *.kvtml *.ods *.xlsx *.mdb *.accdb)");

QString Suffix(TInterchangeFormat Format)
{
    switch (Format) {
    case TInterchangeFormat::Tsv:
        return QStringLiteral(".tsv");
    case TInterchangeFormat::Csv:
        return QStringLiteral(".csv");
    case TInterchangeFormat::Kvtml:
        return QStringLiteral(".kvtml");
    case TInterchangeFormat::Ods:
        return QStringLiteral(".ods");
    case TInterchangeFormat::Xlsx:
        return QStringLiteral(".xlsx");
    case TInterchangeFormat::AnkiFront:
    case TInterchangeFormat::AnkiBack:
        return QStringLiteral(".txt");
    default:
        return QString();
    }
}

} // namespace

bool ChooseFile(QWidget* Parent, bool Save, QString& Path, TInterchangeFormat& Format)
{
    if (FileAnswer) {
        std::tie(Path, Format) = FileAnswer(Save);
        return !Path.isEmpty();
    }
    QStringList Names;
    if (!Save)
        Names << QCoreApplication::translate("TInterchangeDialogs", AllFilter);
    for (const TFilter& Filter : Filters)
        if (Filter.Save || !Save)
            Names << QCoreApplication::translate("TInterchangeDialogs", Filter.Text);
    QFileDialog Dialog(Parent,
                       Save ? QCoreApplication::translate("TInterchangeDialogs", "Export Words")
                            : QCoreApplication::translate("TInterchangeDialogs", "Import Words"));
    TFileDialog::KeepFilesClosed(Dialog);
    Dialog.setNameFilters(Names);
    Dialog.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    Dialog.setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (Save)
        Dialog.selectFile(QStringLiteral("words.tsv"));
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return false;
    Path = Dialog.selectedFiles().constFirst();
    Format = TInterchange::FormatOf(Path);
    for (const TFilter& Filter : Filters)
        if (Dialog.selectedNameFilter() ==
            QCoreApplication::translate("TInterchangeDialogs", Filter.Text)) {
            // The chosen filter decides; a name without a suffix of that format gets one.
            if (Save && Format != Filter.Format &&
                !Path.endsWith(Suffix(Filter.Format), Qt::CaseInsensitive))
                Path += Suffix(Filter.Format);
            Format = Filter.Format;
        }
    return true;
}

namespace {

// A question with a plain-text label and one choice per row; returns the choices, or an empty
// list when cancelled.
QStringList AskChoices(QWidget* Parent, const QString& Title, const QString& Text,
                       const QStringList& Labels, const QStringList& Items,
                       const QStringList& Chosen)
{
    QDialog Dialog(Parent);
    Dialog.setWindowTitle(Title);
    auto* Layout = new QVBoxLayout(&Dialog);
    auto* Label = new QLabel(Text, &Dialog);
    Label->setTextFormat(Qt::PlainText);
    Label->setWordWrap(true);
    Layout->addWidget(Label);
    auto* Form = new QFormLayout;
    std::vector<QComboBox*> Boxes;
    for (int I = 0; I < Labels.size(); ++I) {
        auto* Box = new QComboBox(&Dialog);
        Box->addItems(Items);
        Box->setEditable(Items.size() > 5);
        Box->setCurrentText(Chosen.value(I));
        Form->addRow(Labels[I], Box);
        Boxes.push_back(Box);
    }
    Layout->addLayout(Form);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Dialog);
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Dialog, &QDialog::accept);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
    Layout->addWidget(Buttons);
    if (Dialog.exec() != QDialog::Accepted)
        return {};
    QStringList Result;
    for (QComboBox* Box : Boxes)
        Result << Box->currentText();
    return Result;
}

// Which languages of a KDE vocabulary document are English and Bulgarian: their positions, or
// an empty list when cancelled.
QList<int> AskLanguages(QWidget* Parent, const EInterchangeQuestion& Question)
{
    if (LanguagesAnswer)
        return LanguagesAnswer(Question.Sample, Question.Suggested);
    // Numbered, so that two languages of the same name stay apart.
    QStringList Items;
    for (qsizetype I = 0; I < Question.Sample.size(); ++I)
        Items << QStringLiteral("%1. %2").arg(I + 1).arg(Question.Sample[I]);
    const QStringList Chosen = AskChoices(
        Parent, QStringLiteral("Import"),
        Question.Message() + QCoreApplication::translate(
                                 "TInterchangeDialogs",
                                 "\n\nWhich are English and Bulgarian? The others are left out."),
        {QStringLiteral("&English:"), QStringLiteral("&Bulgarian:")}, Items,
        {Items.value(Question.Suggested.value(0)), Items.value(Question.Suggested.value(1))});
    QList<int> Positions;
    for (const QString& Text : Chosen) {
        const qsizetype At = Items.indexOf(Text);
        if (At < 0)
            throw EVexloDatabaseError(QCoreApplication::translate(
                                          "TInterchangeDialogs", "The document has no language %1.")
                                          .arg(Text));
        Positions << int(At);
    }
    return Positions;
}

} // namespace

bool ReadFileAsking(QWidget* Parent, const QString& Path, TInterchangeFormat Format,
                    TSourceData& Data)
{
    TReadOptions Options;
    Options.AskLanguages = true;
    for (;;) {
        try {
            Data = TInterchange::ReadFile(Path, Format, Options);
            return true;
        } catch (const EInterchangeQuestion& Question) {
            if (Question.Kind == EInterchangeQuestion::TKind::Languages) {
                if (!Options.Languages.isEmpty())
                    throw;
                Options.Languages = AskLanguages(Parent, Question);
                if (Options.Languages.isEmpty())
                    return false;
                continue;
            }
            const bool Encoding = Question.Kind == EInterchangeQuestion::TKind::Encoding;
            if (Encoding && !Options.Encoding.isEmpty())
                throw;
            if (!Encoding && !Options.Columns.isEmpty())
                throw;
            if (Encoding) {
                const QString Answer =
                    EncodingAnswer
                        ? EncodingAnswer(Question.Message())
                        : AskChoices(
                              Parent, QCoreApplication::translate("TInterchangeDialogs", "Import"),
                              Question.Message() +
                                  QCoreApplication::translate(
                                      "TInterchangeDialogs", "\n\nWhich encoding was it saved in?"),
                              {QCoreApplication::translate("TInterchangeDialogs", "&Encoding:")},
                              {QStringLiteral("windows-1251"), QStringLiteral("iso-8859-1"),
                               QStringLiteral("koi8-r"), QStringLiteral("iso-8859-5"),
                               QStringLiteral("ibm866"), QStringLiteral("windows-1252")},
                              {})
                              .value(0);
                if (Answer.isEmpty())
                    return false;
                Options.Encoding = TForeignText::EncodingName(Answer);
                if (Options.Encoding.isEmpty())
                    throw EVexloDatabaseError(
                        QCoreApplication::translate("TInterchangeDialogs",
                                                    "The encoding %1 is not known.")
                            .arg(Answer));
            } else {
                const QStringList Parts{QStringLiteral("English"), QStringLiteral("Transcription"),
                                        QStringLiteral("Bulgarian"), QStringLiteral("Level"),
                                        QStringLiteral("-")};
                Options.Columns =
                    TextColumnsAnswer
                        ? TextColumnsAnswer(Question.Sample)
                        : AskChoices(
                              Parent, QCoreApplication::translate("TInterchangeDialogs", "Import"),
                              Question.Message() + QStringLiteral("\n\n") +
                                  Question.Sample.join(u'\n'),
                              {QCoreApplication::translate("TInterchangeDialogs", "Column &1:"),
                               QCoreApplication::translate("TInterchangeDialogs", "Column &2:"),
                               QCoreApplication::translate("TInterchangeDialogs", "Column &3:")},
                              Parts, {Parts[0], Parts[1], Parts[2]});
                if (Options.Columns.isEmpty())
                    return false;
            }
        }
    }
}

bool ChooseColumns(QWidget* Parent, const TAccessFile& File, TAccessColumns::TColumnMap& Map)
{
    if (ColumnsAnswer)
        return ColumnsAnswer(File, Map);
    TColumnMapDialog Dialog(Parent, File, Map);
    if (Dialog.exec() != QDialog::Accepted)
        return false;
    Map = Dialog.Map();
    return true;
}

bool ChooseAccessColumns(QWidget* Parent, const TAccessFile& File, TAccessColumns::TColumnMap& Map)
{
    if (const auto English = TAccessColumns::EnglishTableMap(File)) {
        Map = *English;
        return true;
    }
    const QStringList Tables = File.TableNames();
    if (Tables.isEmpty())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TInterchangeDialogs", "The Access file holds no tables."));
    Map = TAccessColumns::GuessColumnMap(File, Tables.constFirst());
    return ChooseColumns(Parent, File, Map);
}

QString ConvertAccessFileAsking(QWidget* Parent, const QString& Source, const QString& Target,
                                TInterchange::TImportSummary* Summary)
{
    TAccessColumns::TColumnMap Map;
    if (!ChooseAccessColumns(Parent, TAccessFile(Source), Map))
        return QString();
    return TInterchange::ConvertAccessFile(Source, Target, &Map, Summary);
}

TInterchange::TImportSummary ImportWithProgress(QWidget* Parent, TScreenSaverDataModule& Store,
                                                const TSourceData& Data,
                                                const TInterchange::TConfirm& Confirm)
{
    const qsizetype Rows = static_cast<qsizetype>(Data.Rows.size());
    std::unique_ptr<TProgressForm> Form;
    TInterchange::TProgress Progress;
    if (Rows >= ProgressFrom) {
        Form = std::make_unique<TProgressForm>(Parent);
        Form->setWindowTitle(QCoreApplication::translate("TInterchangeDialogs", "Import"));
        Form->StopBitBtn->setText(QCoreApplication::translate("TInterchangeDialogs", "Cancel"));
        // The import holds the write transaction until it is confirmed: nothing in the main
        // window may run meanwhile.
        Form->setWindowModality(Qt::ApplicationModal);
        Form->Start(static_cast<int>(Rows));
        Progress = [&Form](qsizetype Done, qsizetype) {
            Form->ProgressBar->setValue(static_cast<int>(Done));
            QCoreApplication::processEvents();
            if (ProgressShown)
                ProgressShown(Form.get());
            return !Form->Stopped;
        };
    }
    // The progress window goes before the question at the end.
    auto Ask = [&](const TInterchange::TImportSummary& Summary) {
        if (Form)
            Form->hide();
        return !Confirm || Confirm(Summary);
    };
    return TInterchange::ImportIntoStore(Store, Data, Progress, Ask);
}

} // namespace TInterchangeDialogs

TColumnMapDialog::TColumnMapDialog(QWidget* Parent, const TAccessFile& File,
                                   const TAccessColumns::TColumnMap& Map)
    : QDialog(Parent), FFile(File)
{
    setWindowTitle(
        QCoreApplication::translate("TInterchangeDialogs", "Import from an Access table"));
    auto* Layout = new QVBoxLayout(this);
    auto* Note =
        new QLabel(QCoreApplication::translate("TInterchangeDialogs",
                                               "Choose the table and the columns that hold the "
                                               "English word, its transcription, the Bulgarian "
                                               "text and the level."),
                   this);
    Note->setTextFormat(Qt::PlainText);
    Note->setWordWrap(true);
    Layout->addWidget(Note);
    auto* Form = new QFormLayout;
    TableBox = new QComboBox(this);
    EnglishBox = new QComboBox(this);
    TranscriptionBox = new QComboBox(this);
    BulgarianBox = new QComboBox(this);
    LevelBox = new QComboBox(this);
    Form->addRow(QCoreApplication::translate("TInterchangeDialogs", "&Table:"), TableBox);
    Form->addRow(QCoreApplication::translate("TInterchangeDialogs", "&English:"), EnglishBox);
    Form->addRow(QCoreApplication::translate("TInterchangeDialogs", "T&ranscription:"),
                 TranscriptionBox);
    Form->addRow(QCoreApplication::translate("TInterchangeDialogs", "&Bulgarian:"), BulgarianBox);
    Form->addRow(QCoreApplication::translate("TInterchangeDialogs", "&Level:"), LevelBox);
    Layout->addLayout(Form);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Layout->addWidget(Buttons);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    TableBox->addItems(File.TableNames());
    TableBox->setCurrentText(Map.Table);
    FillColumns(Map);
    connect(TableBox, &QComboBox::currentTextChanged, this, [this](const QString& Table) {
        FillColumns(TAccessColumns::GuessColumnMap(FFile, Table));
    });
    auto CheckOk = [this, Buttons] {
        Buttons->button(QDialogButtonBox::Ok)->setEnabled(EnglishBox->currentIndex() > 0);
    };
    connect(EnglishBox, &QComboBox::currentIndexChanged, this, CheckOk);
    CheckOk();
}

void TColumnMapDialog::FillColumns(const TAccessColumns::TColumnMap& Map)
{
    QStringList Names{QCoreApplication::translate("TInterchangeDialogs", "(none)")};
    for (const TAccessFile::TColumn& Column : FFile.Columns(TableBox->currentText()))
        if (Column.Readable)
            Names << Column.Name;
    const std::pair<QComboBox*, QString> Boxes[] = {{EnglishBox, Map.English},
                                                    {TranscriptionBox, Map.Transcription},
                                                    {BulgarianBox, Map.Bulgarian},
                                                    {LevelBox, Map.Level}};
    for (const auto& [Box, Column] : Boxes) {
        const QSignalBlocker Blocker(Box);
        Box->clear();
        Box->addItems(Names);
        Box->setCurrentIndex(std::max<qsizetype>(0, Names.indexOf(Column)));
    }
    emit EnglishBox->currentIndexChanged(EnglishBox->currentIndex());
}

TAccessColumns::TColumnMap TColumnMapDialog::Map() const
{
    auto Column = [](const QComboBox* Box) {
        return Box->currentIndex() > 0 ? Box->currentText() : QString();
    };
    return {TableBox->currentText(), Column(EnglishBox), Column(TranscriptionBox),
            Column(BulgarianBox), Column(LevelBox)};
}

// The windows in Bulgarian: with the Bulgarian catalog installed, every window and dialog shows
// no English text but names (of the program, formats, keys) and the user's own words.
#include "tests/app/AdminFormFixture.h"
#include "tests/reference/ReferenceFixtures.h"
#include "tests/support/WaitUntil.h"

#include "app/TReferenceHint.h"

#include "editor/TEditForm.h"
#include "finder/TFindForm.h"
#include "interchange/TAccessFile.h"
#include "interchange/TInterchangeDialogs.h"
#include "preview/TAboutForm.h"
#include "reports/TInformationForm.h"
#include "reports/TReportPages.h"
#include "reports/TReviewProgressPage.h"
#include "review/TReviewSession.h"
#include "reviewform/TReviewForm.h"
#include "reviewform/TReviewSettingsForm.h"
#include "settings/TInterfaceLanguage.h"
#include "settings/TOptionsForm.h"
#include "settings/TReferenceSettings.h"
#include "tests/support/KeyboardAccess.h"
#include "widgets/TMessageForm.h"
#include "widgets/TProgressForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

namespace {

// Words that stay as they are in any language (compared in lower case): names of the program and
// its makers, of formats, programs and keys; the language's own name in the language list.
const QSet<QString> Names = {
    "vexlo", "vocabulary", "software", "www", "example", "ok", "english", "html", "pdf", "espeak",
    "ng", "ctrl", "shift", "alt", "del", "esc", "kde", "access", "microsoft", "utf", "sqlite",
    "tsv", "txt", "tab", "csv", "kvtml", "mdb", "accdb", "htm", "mb", "windows", "bitmap",
    "jpeg", "nul", "ename", "learnform", "anki", "basic", "ods", "xlsx", "opendocument", "excel",
    // the reference dictionary: its name, licence, format and the command that installs it
    "freedict", "cc", "by", "sa", "dictd", "index", "dictzip", "gzip", "zlib", "sudo", "apt",
    "install", "dict", "eng", "bul"};

class BulgarianWindowsTest : public AdminFormTest
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(TInterfaceLanguage::Install(qApp, QStringLiteral("bg"),
                                              {QStringLiteral(VEXLO_BINARY_DIR "/translations")}),
                  QStringLiteral("bg"));
    }

    // Every text a person sees on Window and its children: titles, labels, buttons, group
    // titles, list items, menu commands and their hints.
    static QStringList TextsOf(QWidget* Window)
    {
        QStringList Texts{Window->windowTitle()};
        QList<QWidget*> Widgets = Window->findChildren<QWidget*>();
        Widgets.prepend(Window);
        for (QWidget* W : Widgets) {
            if (auto* Label = qobject_cast<QLabel*>(W))
                Texts << Label->text();
            if (auto* Button = qobject_cast<QAbstractButton*>(W))
                Texts << Button->text();
            if (auto* Group = qobject_cast<QGroupBox*>(W))
                Texts << Group->title();
            if (auto* Box = qobject_cast<QComboBox*>(W); Box && !Box->isEditable())
                for (int I = 0; I < Box->count(); ++I)
                    Texts << Box->itemText(I);
            if (auto* Spin = qobject_cast<QSpinBox*>(W))
                Texts << Spin->prefix() << Spin->suffix();
            Texts << W->statusTip() << W->toolTip();
            for (QAction* Action : W->actions()) {
                Texts << Action->text() << Action->statusTip() << Action->toolTip();
                if (QMenu* Menu = Action->menu())
                    Texts << TextsOf(Menu);
            }
        }
        return Texts;
    }

    // The texts among Texts that hold an English word.
    QStringList English(const QStringList& Texts) const
    {
        static const QRegularExpression Word(QStringLiteral("[A-Za-z]{2,}"));
        QStringList Found;
        for (const QString& Text : Texts) {
            // Links, addresses and the user's paths are names too.
            QString Shown = Text;
            Shown.remove(QRegularExpression(QStringLiteral("<[^>]*>|https?://\\S+|/\\S*")));
            for (auto It = Word.globalMatch(Shown); It.hasNext();) {
                const QString W = It.next().captured();
                if (!Names.contains(W.toLower()) && !UserWords.contains(W.toLower())) {
                    Found << Text;
                    break;
                }
            }
        }
        return Found;
    }

    void ExpectBulgarian(QWidget* Window, const char* What)
    {
        const QStringList Texts = TextsOf(Window);
        EXPECT_GT(Texts.size(), 1) << What;
        EXPECT_EQ(English(Texts), QStringList()) << What;
    }

    void AddUserWords(const QString& Text)
    {
        for (const QString& W : Text.split(QRegularExpression(QStringLiteral("[^A-Za-z]+")),
                                           Qt::SkipEmptyParts))
            UserWords += W.toLower();
    }

    QSet<QString> UserWords = {"banana", "apple", "apricot", "band", "cherry"};
};

TEST_F(BulgarianWindowsTest, EveryWindowAndDialogSpeaksBulgarian)
{
    Open(Fruits);
    Form->show();
    ExpectBulgarian(Form.get(), "main window");
    ASSERT_NE(Form->Tray, nullptr);
    ASSERT_NE(Form->Tray->TrayPopupMenu, nullptr);
    ExpectBulgarian(Form->Tray->TrayPopupMenu, "tray menu");

    {
        TAppRegInfo Settings(nullptr);
        TOptionsForm Options(Settings, Form.get());
        Options.SetSpeechSettings(&Settings.Speech);
        Options.SetLookUpSettings(&Settings.LookUp);
        Options.SetInterfaceLanguage(&Settings.Interface);
        ExpectBulgarian(&Options, "options");
    }
    {
        TEditForm Editor(&Form->Store, Form.get());
        ExpectBulgarian(&Editor, "word editor");
    }
    {
        TFindForm Find(&Form->Store, Form.get());
        ExpectBulgarian(&Find, "find dialog");
    }
    {
        TAboutForm About(&Form->Store, Form.get());
        ExpectBulgarian(&About, "about box");
    }
    for (const bool Statistics : {true, false}) {
        TInformationForm Report(Form->Store, Form.get());
        ExpectBulgarian(&Report, Statistics ? "statistics" : "dictionary page");
    }
    {
        TProgressForm Progress(Form.get());
        ExpectBulgarian(&Progress, "progress window");
    }
    {
        TMessageForm Message(Form.get(), QStringLiteral("…"));
        ExpectBulgarian(&Message, "wait window");
    }
    {
        // The tables and columns of the user's Access file are the user's words.
        TAccessFile Access(QStringLiteral("/work/shared/testdata/access/nwind.mdb"));
        for (const QString& Table : Access.TableNames()) {
            AddUserWords(Table);
            for (const TAccessFile::TColumn& Column : Access.Columns(Table))
                AddUserWords(Column.Name);
        }
        TColumnMapDialog Columns(
            Form.get(), Access,
            TAccessColumns::GuessColumnMap(Access, Access.TableNames().value(0)));
        ExpectBulgarian(&Columns, "Access columns");
    }
    {
        // The program's questions, answered "no" without showing them.
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::No);
        UI(Form, Delete)->trigger();
        TMessageBox::SetNextAnswer(QMessageBox::No);
        UI(Form, DeleteAll)->trigger();
        ASSERT_EQ(TMessageBox::Answered().size(), 2);
        for (const TMessageBox::TShown& Shown : TMessageBox::Answered())
            EXPECT_EQ(English({Shown.Caption, Shown.Text}), QStringList()) << "questions";
        TMessageBox::ClearAnswers();
    }
    for (const bool Save : {false, true}) {
        // The import and export file dialogs: their filters and Qt's own texts.
        QStringList Texts;
        QTimer::singleShot(0, [&] {
            auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(Dialog, nullptr);
            Texts = TextsOf(Dialog);
            Dialog->reject();
        });
        QString Path;
        TInterchangeFormat Format{};
        EXPECT_FALSE(TInterchangeDialogs::ChooseFile(Form.get(), Save, Path, Format));
        EXPECT_GT(Texts.size(), 1);
        EXPECT_EQ(English(Texts), QStringList()) << (Save ? "export dialog" : "import dialog");
    }
    {
        // Qt's own dialogs and buttons come from Qt's catalog.
        QMessageBox Box(QMessageBox::Question, QStringLiteral("Въпрос"), QStringLiteral("Да?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Form.get());
        ExpectBulgarian(&Box, "message box");
        QFileDialog Files(Form.get(), QStringLiteral("Файл"));
        Files.setOption(QFileDialog::DontUseNativeDialog);
        ExpectBulgarian(&Files, "file dialog");
    }
}

// The Options dialog keeps its layout, so its Bulgarian texts must fit the places of the English
// ones: every label, check box and drop-down item shows whole.
TEST_F(BulgarianWindowsTest, OptionsTextsFitTheirPlaces)
{
    TAppRegInfo Settings(nullptr);
    TOptionsForm Options(Settings, nullptr);
    Options.show();
    for (QLabel* Label : Options.findChildren<QLabel*>()) {
        SCOPED_TRACE(Label->text().toStdString());
        EXPECT_LE(Label->fontMetrics().horizontalAdvance(Label->text()), Label->width());
    }
    for (QCheckBox* Box : Options.findChildren<QCheckBox*>()) {
        SCOPED_TRACE(Box->text().toStdString());
        QStyleOptionButton Option;
        Option.initFrom(Box);
        Option.text = Box->text();
        const QRect Text = Box->style()->subElementRect(QStyle::SE_CheckBoxContents, &Option, Box);
        EXPECT_LE(Box->fontMetrics().horizontalAdvance(Box->text()), Text.width());
    }
    for (QComboBox* Box : Options.findChildren<QComboBox*>()) {
        QStyleOptionComboBox Option;
        Option.initFrom(Box);
        const QRect Field = Box->style()->subControlRect(QStyle::CC_ComboBox, &Option,
                                                         QStyle::SC_ComboBoxEditField, Box);
        for (int I = 0; I < Box->count(); ++I) {
            SCOPED_TRACE(Box->itemText(I).toStdString());
            EXPECT_LE(Box->fontMetrics().horizontalAdvance(Box->itemText(I)), Field.width());
        }
    }
}

// The buttons below the list keep their sizes: their Bulgarian texts show whole.
TEST_F(BulgarianWindowsTest, ButtonsBelowTheListShowTheirWholeTexts)
{
    Open(Fruits);
    Form->show();
    for (QToolButton* Button :
         {UI(Form, NewBitBtn), UI(Form, RedactBitBtn), UI(Form, DeleteBitBtn)}) {
        SCOPED_TRACE(Button->text().toStdString());
        // The style draws the text beside the icon inside the frame, shortened to what is left.
        const int Frame = Button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, Button);
        const int Room = Button->width() - 2 * Frame - Button->iconSize().width() - 4;
        // The text as drawn: the mark of its Alt letter is an underline, not a character.
        EXPECT_LE(Button->fontMetrics().horizontalAdvance(KeyboardAccess::Plain(Button->text())), Room);
    }
    QPushButton* Random = UI(Form, RandomBitBtn);
    QStyleOptionButton Option;
    Option.initFrom(Random);
    const QRect Text = Random->style()->subElementRect(QStyle::SE_PushButtonContents, &Option, Random);
    EXPECT_LE(Random->fontMetrics().horizontalAdvance(KeyboardAccess::Plain(Random->text())),
              Text.width())
        << Random->text().toStdString();
}

// The report pages take their fixed texts (title, headings, labels, footer) from the catalog and
// write them as they write any text; the figures and the user's words stay as they are.
TEST_F(BulgarianWindowsTest, ReportPagesTakeTheirFixedTextsFromTheCatalog)
{
    TStatisticsFigures Figures;
    Figures.Counts = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    Figures.Total = 55;
    Figures.DataFile = "/home/ana/words.db";
    Figures.LastWord = "cherry";
    const QByteArray Statistics = BuildStatisticsPage(Figures);
    TPreviewPageBuilder Builder;
    Builder.AddEntry("cherry", QStringLiteral("ˈtʃeri"), QStringLiteral("череша"));
    const QByteArray Preview = Builder.Finish();
    struct TCase
    {
        const QByteArray& Page;
        const char* English;
        const char* Bulgarian;
    } const Cases[] = {
        {Statistics, "<title>Report</title>", "Справка"},
        {Statistics, "Word Level", "Ниво на думите"},
        {Statistics, ">Count<", "Брой"},
        {Statistics, "DataBase File", "Файл с данни"},
        {Statistics, "Last filled word", "Последна въведена дума"},
        {Statistics, "Vexlo Vocabulary project", "Проектът Vexlo Vocabulary"},
        {Preview, "<title>Report</title>", "Справка"},
        {Preview, "Vexlo Vocabulary project", "Проектът Vexlo Vocabulary"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Bulgarian);
        EXPECT_FALSE(C.Page.contains(C.English));
        EXPECT_TRUE(C.Page.contains(EncodeText(QString::fromUtf8(C.Bulgarian))));
    }
    EXPECT_TRUE(Statistics.contains("/home/ana/words.db"));
    EXPECT_TRUE(Statistics.contains(">cherry<"));
    EXPECT_TRUE(Preview.contains(EncodeText(QStringLiteral("череша"))));
}

// The review window in both modes (the word asked, its answer, the summary), its settings and
// the progress page, for a Bulgarian whose dates and figures follow the Bulgarian locale.
TEST_F(BulgarianWindowsTest, TheReviewSpeaksBulgarian)
{
    const QLocale Before;
    QLocale::setDefault(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    Open(Fruits);
    int64_t Now = 1'760'000'000'000;
    TReviewSettings Settings;
    Settings.Fuzz = false;
    for (const bool TwoButtons : {false, true}) {
        SCOPED_TRACE(TwoButtons ? "two buttons" : "four grades");
        Settings.TwoButtons = TwoButtons;
        TReviewSession Session(
            ScreenSaverDataModule->ADOConnection->Handle(), Settings, [&Now] { return Now; },
            [](int64_t T) { return T - T % TFsrs::MsPerDay; });
        TReviewForm Review(&Session, Form.get());
        Review.Start();
        ASSERT_FALSE(Review.Finished());
        ExpectBulgarian(&Review, "review window, the word asked");
        Review.Reveal();
        ExpectBulgarian(&Review, "review window, the answer shown");
        for (int Answers = 0; !Review.Finished(); ++Answers) {
            ASSERT_LT(Answers, 10);
            Review.Reveal();
            Review.Grade(Answers % 2 ? TGrade::grAgain : TGrade::grGood);
            Now += 60'000;
        }
        ASSERT_NE(Review.SummaryText().indexOf(QStringLiteral("Браво")), -1)
            << Review.SummaryText().toStdString();
        ExpectBulgarian(&Review, "review summary");

        // The first sitting has seen no word before, the second recalls some of them.
        const QByteArray Page = BuildReviewProgressPage(TReviewProgress::Read(
            ScreenSaverDataModule->ADOConnection->Handle(), Session.Store().Schema().constData(),
            Now - Now % TFsrs::MsPerDay, 0.9));
        QString Shown = QString::fromLatin1(Page);
        Shown.remove(QRegularExpression(QStringLiteral("&[#A-Za-z0-9]+;")));
        EXPECT_EQ(English(Shown.split(QStringLiteral("\r\n"))), QStringList()) << "progress page";
        EXPECT_TRUE(Page.contains(EncodeText(QStringLiteral("Напредък в преговора"))));
        Now += 400 * TFsrs::MsPerDay; // every word due again
    }
    TReviewSettingsForm SettingsForm(Settings, nullptr);
    ExpectBulgarian(&SettingsForm, "review settings");
    QLocale::setDefault(Before);
}

// The reference dictionary's additions to the main window's hint, and its messages about a
// damaged file, which the word editor shows.
TEST_F(BulgarianWindowsTest, TheReferenceSpeaksBulgarian)
{
    TDictdFixture Dictionaries;
    const QString Good =
        Dictionaries.Make("good", {{"run", "run //rʌn// <v>\nтичам\nto move fast"}});
    const QString Damaged =
        Dictionaries.Make("damaged", {{"run", "run //rʌn// <v>\nтичам\nto move fast"}});
    QFile Data(Dictionaries.Path("damaged.dict.dz"));
    ASSERT_TRUE(Data.open(QIODevice::ReadWrite));
    ASSERT_TRUE(Data.resize(Data.size() / 2));
    Data.close();
    AddUserWords(QStringLiteral("run ran"));

    TReferenceSettings Settings;
    TReferenceSettings::SetLive(&Settings);
    TReference::Shared()->Unload();
    TReferenceHint Hint(nullptr);
    QSignalSpy Loaded(&Hint, &TReferenceHint::Loaded);
    Settings.IndexPath = Good;
    EXPECT_EQ(Hint.For(QStringLiteral("ran")), QString()) << "nothing until the reference is read";
    ASSERT_TRUE(WaitUntil([&] { return Loaded.count() == 1; }, 60000));
    const QString Added = Hint.For(QStringLiteral("ran"));
    EXPECT_EQ(Added, QStringLiteral(" \u2014 справочник: тичам (форма на run)"));
    EXPECT_EQ(English({Added}), QStringList()) << "reference hint";

    Settings.IndexPath = Damaged;
    EXPECT_EQ(Hint.For(QStringLiteral("ran")), QString());
    ASSERT_TRUE(WaitUntil([&] { return Loaded.count() == 2; }, 60000));
    EXPECT_EQ(TReference::Shared()->State(), TReference::TState::Failed);
    // The data file's name is the user's own.
    QString Error = TReference::Shared()->ErrorText();
    Error.remove(QStringLiteral("damaged.dict.dz"));
    EXPECT_EQ(English({Error}), QStringList()) << "reference error";
    TReferenceSettings::SetLive(nullptr);
    TReference::Shared()->Unload();
}

// The Bulgarian texts carry Alt letters of their own (Cyrillic ones), unique in each window and
// menu, every label's going to its field.
TEST_F(BulgarianWindowsTest, EveryWindowAndMenuHasLettersOfItsOwn)
{
    using namespace KeyboardAccess;
    Open(Fruits);
    Form->show();
    EXPECT_EQ(Listed(WindowProblems(Form.get(), {UI(Form, NewBitBtn), UI(Form, RedactBitBtn),
                                          UI(Form, DeleteBitBtn), UI(Form, RandomBitBtn)})), "");
    for (QAction* Title : UI(Form, MainMenu)->actions()) {
        EXPECT_TRUE(Mnemonic(Title->text()).isLetter()) << Title->text().toStdString();
        if (Title->menu()) {
            EXPECT_EQ(Listed(MenuProblems(Title->menu())), "");
        }
    }
    EXPECT_EQ(Listed(MenuProblems(Form->Tray->TrayPopupMenu)), "");
    // The letters are Cyrillic ones, which a Bulgarian keyboard has.
    const QChar Random = Mnemonic(UI(Form, RandomBitBtn)->text());
    EXPECT_EQ(Random.script(), QChar::Script_Cyrillic) << QString(Random).toStdString();

    TAppRegInfo Settings(nullptr);
    TOptionsForm Options(Settings, Form.get());
    Options.SetSpeechSettings(&Settings.Speech);
    Options.SetLookUpSettings(&Settings.LookUp);
    Options.SetInterfaceLanguage(&Settings.Interface);
    EXPECT_EQ(Listed(WindowProblems(&Options)), "") << "options";
    TEditForm Editor(&Form->Store, Form.get());
    EXPECT_EQ(Listed(WindowProblems(&Editor)), "") << "word editor";
    TFindForm Find(&Form->Store, Form.get());
    EXPECT_EQ(Listed(WindowProblems(&Find)), "") << "find dialog";
    TAccessFile Access(QStringLiteral(VEXLO_ACCESS_TESTDATA "/nwind.mdb"));
    TColumnMapDialog Columns(Form.get(), Access,
                             TAccessColumns::GuessColumnMap(Access, Access.TableNames().value(0)));
    EXPECT_EQ(Listed(WindowProblems(&Columns)), "") << "Access columns";
}

} // namespace

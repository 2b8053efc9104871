#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

#include "reports/TPageBlocks.h"

#include <QUrl>

#include <functional>
#include <memory>

class TScreenSaverDataModule;
class QAction;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QNetworkReply;
class QPagedPaintDevice;
class QPrinter;
class QStatusBar;
class TPageView;
class TRegInfo;
class TVexloField;
class TVexloTable;

namespace Ui {
class TInformationForm;
}

// The report window: an HTML view loaded from memory (TPageView, whose work follows what is on
// screen) and a status bar that shows the target of the link under the mouse. Beside reading, the
// window copies, finds (Ctrl+F, F3), saves the page as HTML, prints it and exports it as PDF, from
// its context menu and shortcuts. Links open inside the window; Back returns to the report. It reads the vocabulary through a table of its own on the store's
// connection, so the store it is given must be open while the window exists.
//
// The main window uses the two static calls; each shows the window modally and returns when the
// user closes it. Store errors (EVexloDatabaseError) reach the caller before anything is shown.
class TInformationForm : public QDialog
{
    Q_OBJECT

public:
    // Counts of entries per level, the data file's path and the word added last.
    static void ShowStatistics(QWidget* Parent, TScreenSaverDataModule& Store,
                               const QString& DataFile);
    static void ShowStatistics(QWidget* Parent, TScreenSaverDataModule& Store,
                               const TRegInfo& RegInfo);
    // The whole dictionary, built with the progress window. The window shows its first screen as
    // soon as that is built and can be read while the rest is built; closing it stops the build.
    // A request while another listing is being built is refused quietly: nothing is shown.
    static void ShowPreview(QWidget* Parent, TScreenSaverDataModule& Store);
    // Shows a page built elsewhere (the review's progress), as the other reports.
    static void ShowPage(QWidget* Parent, TScreenSaverDataModule& Store, const QByteArray& Html);

    explicit TInformationForm(TScreenSaverDataModule& Store, QWidget* Parent = nullptr);
    ~TInformationForm() override;

    TPageView* WebBrowser = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusPanel = nullptr; // the one panel, spanning the bar
    TScreenSaverDataModule& Store;
    std::unique_ptr<TVexloTable> Table;
    TVexloField* TableID = nullptr;
    TVexloField* TableENAME = nullptr;
    TVexloField* TableBULG = nullptr;
    TVexloField* TableTRANS = nullptr;
    TVexloField* TableLEVEL = nullptr;

    // The steps of the two calls above, without showing the window.
    void LoadStatistics(const QString& DataFile);
    // Returns false when another listing is being built (the page is left as it was). With
    // ShowEarly the window is shown (modal) with the first entries once they are built, and
    // grows to the whole page when the build ends; false then also when the reader closed the
    // window before that.
    bool LoadPreview(bool ShowEarly = false);
    // Entries built before the window is shown early: more than a screen holds.
    static constexpr int FirstScreenEntries = 200;

    void FormCreate();
    // Puts 8-bit text in the system code page into the view.
    void LoadHtml(const QByteArray& Html);
    // The same for a page its builder gave as blocks.
    void LoadBlocks(const TPageBlocks& Blocks);
    // The page last loaded, as bytes.
    QByteArray Html() const { return FReport.Page(); }

    void WebBrowserStatusTextChange(const QString& Text);
    // Every link opens inside the window: local files at once, web pages once they have been
    // fetched (or a page saying why they could not be). Back returns to the report.
    void WebBrowserAnchorClicked(const QUrl& Url);
    // The address shown instead of the report, empty while the report is shown.
    const QUrl& ShownUrl() const { return FShownUrl; }
    void GoBack();

    // The find bar (Ctrl+F) and its searches (F3 forward, Shift+F3 backward).
    QWidget* FindBar = nullptr;
    QLineEdit* FindEdit = nullptr;
    QLabel* FindStatus = nullptr;
    void ShowFindBar();
    void FindNext(bool Backward = false);

    QAction* CopyAction = nullptr;
    QAction* SelectAllAction = nullptr;
    QAction* FindAction = nullptr;
    QAction* FindNextAction = nullptr;
    QAction* FindPreviousAction = nullptr;
    QAction* SaveAction = nullptr;
    QAction* PrintAction = nullptr;
    QAction* ExportPdfAction = nullptr;
    QAction* BackAction = nullptr;

    // Writes the page shown, byte for byte. False (after telling the user) when it cannot.
    bool SaveHtml(const QString& FileName);
    // Prints the page shown on Printer, page by page, with a progress window offering Cancel.
    // False when cancelled or when the printer cannot be used.
    bool PrintTo(QPrinter& Printer);
    // Writes the page shown as a PDF document. The file is replaced only when the whole document
    // has been written; Cancel, or a failure (said with its reason), leaves an existing file as
    // it was and no part of the new one.
    bool ExportPdf(const QString& FileName);
    void SaveAsClick();
    void PrintClick();
    void ExportPdfClick();

    // Asks for the name of a file to write; empty when the user declines. Tests replace it.
    static std::function<QString(QWidget* Parent, const QString& Caption,
                                 const QString& FileName, const QString& Filter)>
        AskSaveFileName;

private:
    void CreateCommands();
    // Commands that need the whole page wait while it is built.
    void EnablePageCommands(bool Enabled);
    // PrintTo's work on any paged device; Abort is called when the user cancels.
    bool PaintPages(QPagedPaintDevice& Device, const QString& BeginFailure,
                    const std::function<void()>& Abort);
    void ShowPage(const QByteArray& Html, const QUrl& Url);
    void NetworkFinished(QNetworkReply* Reply);

    std::unique_ptr<Ui::TInformationForm> FUi;
    TPageBlocks FReport;
    TPageBlocks FShown;
    QUrl FShownUrl;
    QNetworkAccessManager* FNetwork = nullptr;
    QNetworkReply* FReply = nullptr;
};

#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QStatusBar;
class QTextBrowser;
class QUrl;
class TRegInfo;
class TVexloField;
class TVexloTable;

namespace Ui {
class TInformationForm;
}

// The report window: an HTML view loaded from memory and a status bar that shows the target of
// the link under the mouse. It reads the vocabulary through a table of its own on the store's
// connection, so the store (ScreenSaverDataModule) must be open while the window exists.
//
// The main window uses the two static calls; each shows the window modally and returns when the
// user closes it. Store errors (EVexloDatabaseError) reach the caller before anything is shown.
class TInformationForm : public QDialog
{
    Q_OBJECT

public:
    // Counts of entries per level, the data file's path and the word added last.
    static void ShowStatistics(QWidget* Parent, const QString& DataFile);
    static void ShowStatistics(QWidget* Parent, const TRegInfo& RegInfo);
    // The whole dictionary, built with the progress window. A request while another listing is
    // being built is refused quietly: nothing is shown.
    static void ShowPreview(QWidget* Parent);

    explicit TInformationForm(QWidget* Parent = nullptr);
    ~TInformationForm() override;

    QTextBrowser* WebBrowser = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusPanel = nullptr; // the one panel, spanning the bar
    std::unique_ptr<TVexloTable> Table;
    TVexloField* TableID = nullptr;
    TVexloField* TableENAME = nullptr;
    TVexloField* TableBULG = nullptr;
    TVexloField* TableTRANS = nullptr;
    TVexloField* TableLEVEL = nullptr;

    // The steps of the two calls above, without showing the window.
    void LoadStatistics(const QString& DataFile);
    // Returns false when another listing is being built (the page is left as it was).
    bool LoadPreview();

    void FormCreate();
    // Puts 8-bit text in the system code page into the view.
    void LoadHtml(const QByteArray& Html);
    // The page last loaded, as bytes.
    const QByteArray& Html() const { return FHtml; }

    void WebBrowserStatusTextChange(const QString& Text);
    // Links the view can show (relative, local files, resources) open in place; others, such as
    // web addresses, in the desktop's browser.
    void WebBrowserAnchorClicked(const QUrl& Url);

private:
    std::unique_ptr<Ui::TInformationForm> FUi;
    QByteArray FHtml;
};

// Writes pictures of both report pages as the window shows them: statistics.png and preview.png in
// the folder given as the first argument, from a small dictionary of its own.
//   QT_QPA_PLATFORM=offscreen reports_screenshots docs/screenshots

#include "reports/TInformationForm.h"
#include "reports/TPageView.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>

namespace {

const struct
{
    const char16_t* Word;
    const char16_t* Trans;
    int Level;
    const char16_t* Bulg;
} Words[] = {
    {u"apple", u"ˈæpəl", 0, u"ябълка"},
    {u"Apricot", u"ˈeɪprɪkɒt", 1, u"кайсия"},
    {u"answer", u"ˈɑːnsə", 2, u"отговор\r\nотговарям"},
    {u"banana", u"bəˈnɑːnə", 0, u"банан"},
    {u"bridge", u"brɪdʒ", 3, u"мост"},
    {u"brave", u"breɪv", 4, u"смел"},
    {u"cherry", u"ˈtʃeri", 1, u"череша"},
    {u"cloud", u"klaʊd", 2, u"облак"},
    {u"diligent", u"ˈdɪlɪdʒənt", 7, u"усърден\r\nприлежен"},
    {u"dwell", u"dwel", 6, u"обитавам"},
    {u"ephemeral", u"ɪˈfemərəl", 9, u"краткотраен"},
    {u"forest", u"ˈfɒrɪst", 1, u"гора"},
    {u"garden", u"ˈɡɑːdn", 0, u"градина"},
    {u"R&D", u"", 5, u"научноизследователска работа"},
    {u"whisper", u"ˈwɪspə", 8, u"шепна"},
};

} // namespace

int main(int argc, char** argv)
{
    QApplication App(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: reports_screenshots FOLDER\n");
        return 2;
    }
    const QDir Out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir Dir;
    const QString Path = Dir.filePath(QStringLiteral("english.db"));
    TDataFileTool::CreateEmptyDataFile(Path);
    TScreenSaverDataModule Store;
    QStringList Messages;
    Store.OpenDataFile(Path, Messages);
    if (!Store.ADOTable->Active()) {
        std::fprintf(stderr, "%s\n", qPrintable(Messages.join(u'\n')));
        return 1;
    }
    for (const auto& W : Words)
        Store.AppendEntry(TEnBgRecord{QString::fromUtf16(W.Word), QString::fromUtf16(W.Bulg),
                                      QString::fromUtf16(W.Trans), W.Level});

    {
        TInformationForm Form(*ScreenSaverDataModule);
        Form.LoadStatistics(QStringLiteral("/home/user/vocabulary/english.db"));
        Form.show();
        if (!QTest::qWaitForWindowExposed(&Form))
            return 1;
        // Point at the footer link, so that the status bar shows its target.
        TPageView* View = Form.WebBrowser;
        const QTextCursor Link = View->BlockDocument(0)->find(QStringLiteral("vexlo.example.org"));
        const TPageView::TPlace Place{0, Link.selectionStart() + 3};
        QTest::mouseMove(View->viewport(), View->PlaceRect(Place).center() + QPoint(1, 0));
        QTest::qWait(50);
        if (!Form.grab().save(Out.filePath(QStringLiteral("statistics.png"))))
            return 1;
    }
    {
        TInformationForm Form(*ScreenSaverDataModule);
        Form.LoadPreview();
        Form.show();
        if (!QTest::qWaitForWindowExposed(&Form))
            return 1;
        QTest::qWait(50);
        if (!Form.grab().save(Out.filePath(QStringLiteral("preview.png"))))
            return 1;
    }
    return 0;
}

// Printing and PDF export of the report window's page.

#include "reports/TInformationForm.h"

#include "widgets/TMessageBox.h"
#include "platform/TWholeFile.h"
#include "reports/TPageView.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextBlock>
#include <QTextDocument>

bool TInformationForm::PrintTo(QPrinter& Printer)
{
    return PaintPages(Printer,
                      Printer.outputFileName().isEmpty()
                          ? tr("The printer could not be used.")
                          : tr("The file %1 could not be written.")
                                .arg(QDir::toNativeSeparators(Printer.outputFileName())),
                      [&Printer] { Printer.abort(); });
}

bool TInformationForm::PaintPages(QPagedPaintDevice& Device, const QString& BeginFailure,
                                  const std::function<void()>& Abort)
{
    const TPageBlocks& Blocks = WebBrowser->Blocks();
    QProgressDialog Progress(tr("Printing..."), tr("Cancel"), 0, int(Blocks.Count()), this);
    Progress.setObjectName(QStringLiteral("PrintProgress"));
    Progress.setWindowTitle(windowTitle());
    Progress.setWindowModality(Qt::WindowModal);
    Progress.setMinimumDuration(500);
    Progress.setAutoClose(false);
    Progress.setAutoReset(false);

    QPainter Painter;
    if (!Painter.begin(&Device)) {
        TMessageBox::Error(this, windowTitle(), BeginFailure);
        return false;
    }
    const int Resolution = Device.logicalDpiY();
    // The page is laid out in the screen's pixels and drawn scaled to the printer's.
    const qreal Scale = Resolution / qreal(qMax(1, WebBrowser->logicalDpiY()));
    const QRectF Area = Device.pageLayout().paintRectPixels(Resolution);
    const qreal Width = Area.width() / Scale;
    const qreal Height = Area.height() / Scale;
    Painter.scale(Scale, Scale);
    QAbstractTextDocumentLayout::PaintContext Context;
    Context.palette = TPageView::PaperPalette();
    QElapsedTimer SinceEvents;
    SinceEvents.start();
    qreal Y = 0;
    for (qsizetype I = 0; I < Blocks.Count(); ++I) {
        if (SinceEvents.elapsed() >= 20) {
            Progress.setValue(int(I));
            QCoreApplication::processEvents();
            SinceEvents.start();
        }
        if (Progress.wasCanceled()) {
            Abort();
            return false;
        }
        QTextDocument Doc;
        Doc.setUndoRedoEnabled(false);
        Doc.setDocumentMargin(0);
        Doc.setDefaultFont(WebBrowser->font());
        Doc.setHtml(QString::fromLocal8Bit(Blocks.Block(I)));
        Doc.setTextWidth(Width);
        const qreal BlockHeight = Doc.size().height();
        // A heading keeps its space above, except at the top of a sheet.
        if (Y > 0)
            Y += qMax<qreal>(0, Doc.begin().blockFormat().topMargin());
        if (Y > 0 && Y + BlockHeight > Height) {
            Device.newPage();
            Y = 0;
        }
        // A block taller than a page runs on over the next pages.
        for (qreal Done = 0;;) {
            Painter.save();
            Painter.translate(0, Y - Done);
            Context.clip = QRectF(0, Done, Width, Height - Y);
            Painter.setClipRect(Context.clip);
            Doc.documentLayout()->draw(&Painter, Context);
            Painter.restore();
            if (BlockHeight - Done <= Height - Y) {
                Y += BlockHeight - Done;
                break;
            }
            Done += Height - Y;
            Device.newPage();
            Y = 0;
        }
    }
    Progress.setValue(int(Blocks.Count()));
    // A Cancel pressed while the last pages were drawn still counts.
    if (Progress.wasCanceled()) {
        Abort();
        return false;
    }
    return Painter.end();
}

void TInformationForm::PrintClick()
{
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setDocName(windowTitle());
    QPrintDialog Dialog(&Printer, this);
    if (Dialog.exec() == QDialog::Accepted)
        PrintTo(Printer);
}

bool TInformationForm::ExportPdf(const QString& FileName)
{
    const QString Shown = QDir::toNativeSeparators(FileName);
    TWholeFile File(FileName);
    if (!File.Open()) {
        TMessageBox::Error(this, windowTitle(),
                           tr("The file %1 could not be written: %2").arg(Shown, File.errorString()));
        return false;
    }
    // The printer's page (the paper size of the locale) and resolution, as printing has them.
    const QPrinter Defaults(QPrinter::HighResolution);
    QPdfWriter Writer(&File);
    Writer.setResolution(Defaults.resolution());
    Writer.setPageLayout(Defaults.pageLayout());
    Writer.setTitle(windowTitle());
    Writer.setCreator(QCoreApplication::applicationName());
    // Cancelled or failed, File goes without commit: the temporary file is removed.
    if (!PaintPages(Writer, tr("The file %1 could not be written.").arg(Shown), [] {}))
        return false;
    if (!File.Commit()) {
        TMessageBox::Error(this, windowTitle(),
                           tr("The file %1 could not be written: %2").arg(Shown, File.errorString()));
        return false;
    }
    return true;
}

void TInformationForm::ExportPdfClick()
{
    const QString Name = AskSaveFileName(this, tr("Export PDF"), QStringLiteral("report.pdf"),
                                         tr("PDF documents (*.pdf);;All files (*)"));
    if (!Name.isEmpty())
        ExportPdf(Name);
}

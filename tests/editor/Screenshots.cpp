// Renders the word editor with a suggested transcription, the list of backslash codes, and the
// editor with the reference dictionary's senses, the options dialog with its speech group, offscreen into docs/screenshots.
// Usage: editor_screenshots OUTPUT_DIR
#include "editor/TEditForm.h"
#include "settings/TOptionsForm.h"
#include "editor/TReferencePanel.h"
#include "settings/TSpeechSettings.h"

#include "ui_TEditForm.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDeadlineTimer>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <QDir>
#include <QPainter>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    const QString Out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const auto Save = [&](const QImage& Image, const char* Name) {
        const bool Saved = Image.save(Out + QLatin1Char('/') + QLatin1String(Name));
        std::printf("%s %s\n", Name, Saved ? "written" : "FAILED");
    };

    TEditForm Editor(nullptr);
    Editor.setWindowTitle(QStringLiteral("New Data"));
    Editor.show();
    QApplication::setActiveWindow(&Editor);
    Ui::TEditForm& Ui = *Editor.ui;
    Ui.EnglishEdit->setText(QStringLiteral("vocabulary"));
    Ui.BulgarianMemo->setPlainText(QStringLiteral("речник\nсловесен запас"));
    Ui.LevelUpDown->SetPosition(3);
    Ui.LevelEdit->setText(QStringLiteral("3"));
    Editor.SuggestBitBtnClick();
    QApplication::processEvents();
    Save(Editor.grab().toImage(), "editor.png");

    // The codes: "\a" typed after the transcription, the list open below the caret.
    Ui.TranscriptionEdit->setFocus();
    Ui.TranscriptionEdit->end(false);
    QTest::keyClicks(Ui.TranscriptionEdit, QStringLiteral("\\a"));
    QApplication::processEvents();
    QImage Shot = Editor.grab().toImage();
    QWidget* List = Editor.PhoneticCompleter->popup();
    if (List->isVisible()) {
        QPainter P(&Shot);
        P.drawPixmap(Editor.mapFromGlobal(List->mapToGlobal(QPoint(0, 0))), List->grab());
    }
    Save(Shot, "editor-codes.png");
    Editor.hide();

    // A new word with the reference dictionary's senses (FreeDict's, when installed): two picked,
    // the reference's transcription taken.
    {
        TEditForm WithReference(nullptr);
        QTimer::singleShot(0, &WithReference, [&] {
            TReferencePanel& Panel = *WithReference.Reference;
            const QDeadlineTimer Deadline(60000);
            while (Panel.SenseList->count() < 5 && !Deadline.hasExpired())
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            if (Panel.SenseList->count() >= 5) {
                Panel.SenseList->item(1)->setCheckState(Qt::Checked);
                Panel.SenseList->item(4)->setCheckState(Qt::Checked);
                Panel.TranscriptionButton->click();
                WithReference.ui->LevelUpDown->SetPosition(2);
                WithReference.ui->LevelEdit->setText(QStringLiteral("2"));
                QApplication::processEvents();
                Save(WithReference.grab().toImage(), "editor-reference.png");
            } else {
                std::printf("editor-reference.png FAILED (no reference dictionary)\n");
            }
            WithReference.reject();
        });
        WithReference.ShowEditorFor(QStringLiteral("house"));
    }

    TAppRegInfoData Settings;
    Settings.ResidentMode = true;
    TSpeechSettings Speech;
    Speech.NotesSpeak = true;
    TOptionsForm Options(Settings, nullptr);
    Options.SetSpeechSettings(&Speech);
    Options.show();
    QApplication::processEvents();
    Save(Options.grab().toImage(), "options.png");
    return 0;
}

// Renders the word editor with a suggested transcription, the list of backslash codes, and the
// options dialog with its speech group, offscreen into docs/screenshots.
// Usage: editor_screenshots OUTPUT_DIR
#include "editor/TEditForm.h"
#include "settings/TOptionsForm.h"
#include "settings/TSpeechSettings.h"

#include "ui_TEditForm.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
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

    TEditForm Editor;
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

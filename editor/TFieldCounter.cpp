#include "editor/TFieldCounter.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace {

// A red that reads on the label's background, light or dark.
QColor WarningColour(const QPalette& Palette)
{
    return Palette.color(QPalette::Window).lightness() < 128 ? QColor(0xFF, 0x8A, 0x80)
                                                             : QColor(0xB0, 0x00, 0x00);
}

} // namespace

TFieldCounter::TFieldCounter(QStatusBar* StatusBar)
    : QObject(StatusBar), FLabel(new QLabel(StatusBar))
{
    FLabel->setObjectName(QStringLiteral("FieldCountLabel"));
    FLabel->setTextFormat(Qt::PlainText);
    StatusBar->addPermanentWidget(FLabel);
}

int TFieldCounter::StoredLength(const QWidget* Field)
{
    if (const auto* Line = qobject_cast<const QLineEdit*>(Field))
        return int(Line->text().size());
    if (const auto* Memo = qobject_cast<const QPlainTextEdit*>(Field)) {
        const QString Text = Memo->toPlainText();
        return int(Text.size() + Text.count(QLatin1Char('\n')));
    }
    return 0;
}

void TFieldCounter::AddField(QWidget* Field, const QString& Caption, int Limit)
{
    FFields.push_back({Field, Caption, Limit});
    Field->installEventFilter(this);
    // The field being typed in is the one whose text changes.
    const auto Update = [this, Index = FFields.size() - 1] { Show(FFields[Index]); };
    if (auto* Line = qobject_cast<QLineEdit*>(Field))
        connect(Line, &QLineEdit::textChanged, this, Update);
    else if (auto* Memo = qobject_cast<QPlainTextEdit*>(Field))
        connect(Memo, &QPlainTextEdit::textChanged, this, Update);
}

bool TFieldCounter::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::FocusIn) {
        for (const TField& F : FFields)
            if (F.Widget == Watched)
                Show(F);
    } else if (Event->type() == QEvent::Hide) {
        FLabel->clear();
    }
    return false;
}

void TFieldCounter::Show(const TField& Field)
{
    const int Length = StoredLength(Field.Widget);
    FLabel->setText(tr("%1: %2 of %3").arg(Field.Caption).arg(Length).arg(Field.Limit));
    QPalette Palette = FLabel->parentWidget()->palette();
    if (Length > Field.Limit)
        Palette.setColor(QPalette::WindowText, WarningColour(Palette));
    FLabel->setPalette(Palette);
    FLabel->setProperty("OverLimit", Length > Field.Limit);
}

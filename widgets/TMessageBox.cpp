#include "widgets/TMessageBox.h"

#include <QList>

namespace {

QList<TMessageBox::TButton>& Queue()
{
    static QList<TMessageBox::TButton> TheQueue;
    return TheQueue;
}

QList<TMessageBox::TShown>& Log()
{
    static QList<TMessageBox::TShown> TheLog;
    return TheLog;
}

} // namespace

TMessageBox::TButton TMessageBox::Show(QWidget* Parent, QMessageBox::Icon Icon,
                                       const QString& Caption, const QString& Text,
                                       TButtons Buttons, TButton DefaultButton)
{
    if (!Queue().isEmpty()) {
        Log().append({Icon, Caption, Text, Buttons, DefaultButton});
        return Queue().takeFirst();
    }
    QMessageBox Box(Icon, Caption, Text, Buttons, Parent);
    // Texts carry file names and words the user typed: never markup.
    Box.setTextFormat(Qt::PlainText);
    if (DefaultButton != QMessageBox::NoButton)
        Box.setDefaultButton(DefaultButton);
    return static_cast<TButton>(Box.exec());
}

TMessageBox::TButton TMessageBox::Error(QWidget* Parent, const QString& Caption,
                                        const QString& Text)
{
    return Show(Parent, QMessageBox::Critical, Caption, Text, QMessageBox::Ok, QMessageBox::Ok);
}

TMessageBox::TButton TMessageBox::Information(QWidget* Parent, const QString& Caption,
                                              const QString& Text)
{
    return Show(Parent, QMessageBox::Information, Caption, Text, QMessageBox::Ok,
                QMessageBox::Ok);
}

TMessageBox::TButton TMessageBox::Question(QWidget* Parent, const QString& Caption,
                                           const QString& Text, TButtons Buttons,
                                           TButton DefaultButton)
{
    return Show(Parent, QMessageBox::Question, Caption, Text, Buttons, DefaultButton);
}

void TMessageBox::SetNextAnswer(TButton Answer)
{
    Queue().append(Answer);
}

void TMessageBox::ClearAnswers()
{
    Queue().clear();
    Log().clear();
}

const QList<TMessageBox::TShown>& TMessageBox::Answered()
{
    return Log();
}

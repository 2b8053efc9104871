#pragma once

#include <QObject>
#include <QString>

// The reference dictionary in the main window: what the status bar adds when a typed or copied
// word is not in the user's dictionary (" — reference: къща, дом…"). The reference is read the
// first time a word is not found; when it becomes ready, Loaded() asks the window to show the
// hint again. Nothing is added while the reference is off, missing, loading or damaged.
class TReferenceHint : public QObject
{
    Q_OBJECT
public:
    explicit TReferenceHint(QObject* Parent);

    static constexpr int Words = 4; // Bulgarian words shown at most

    // The addition to the not-found hint for Word, empty when the reference has nothing.
    QString For(const QString& Word);

signals:
    void Loaded();
};

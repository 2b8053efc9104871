#pragma once

#include "reference/TReferenceDictionary.h"

#include <QObject>

#include <memory>

// The reference dictionary the program uses: nothing is read until the first look-up asks for
// it; the index is then loaded on a thread of its own, and Loaded() tells when it is ready (or
// has failed, with one message). Look-ups are made on the interface thread and take well under a
// millisecond once loaded. Changing the source (SetSource) drops what was loaded.
class TReference : public QObject
{
    Q_OBJECT
public:
    enum class TState
    {
        Off,     // switched off in the options
        Missing, // no dictionary at the path (not installed)
        Idle,    // not yet asked for
        Loading,
        Ready,
        Failed // damaged or foreign; ErrorText() says how
    };

    // FreeDict's English–Bulgarian dictionary as Debian's dict-freedict-eng-bul installs it.
    static QString DefaultIndexPath();
    // Test seam: another default (an empty path restores Debian's).
    static void SetDefaultIndexPath(const QString& Path);
    static constexpr const char* PackageName = "dict-freedict-eng-bul";

    // The program's one reference, made when first asked for.
    static TReference* Shared();

    explicit TReference(QObject* Parent = nullptr);
    ~TReference() override;

    // Enabled, and the index file (empty: the default one).
    void SetSource(bool Enabled, const QString& IndexPath);
    QString IndexPath() const { return FIndexPath; }
    // Drops what was loaded (or is being loaded): the next look-up reads the files again.
    void Unload();
    TState State() const;
    QString ErrorText() const { return FError; }

    // Starts loading when the reference is wanted and not yet loaded; true when it is ready.
    bool Prepare();
    // The look-up of a text; empty unless the reference is ready.
    TReferenceResult LookUp(const QString& Text);

signals:
    // Loading ended: State() is Ready or Failed.
    void Loaded();

private:
    void Finished(quint64 Generation, std::shared_ptr<TReferenceDictionary> Dictionary,
                  const QString& Error);

    bool FEnabled = true;
    QString FIndexPath;
    bool FLoading = false;
    quint64 FGeneration = 0;
    std::shared_ptr<TReferenceDictionary> FDictionary;
    QString FError;
};

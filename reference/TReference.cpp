#include "reference/TReference.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

namespace {

QString& DefaultOverride()
{
    static QString Path;
    return Path;
}

} // namespace

QString TReference::DefaultIndexPath()
{
    if (!DefaultOverride().isEmpty())
        return DefaultOverride();
    return QStringLiteral("/usr/share/dictd/freedict-eng-bul.index");
}

void TReference::SetDefaultIndexPath(const QString& Path)
{
    DefaultOverride() = Path;
}

TReference* TReference::Shared()
{
    static QPointer<TReference> Instance;
    if (!Instance)
        Instance = new TReference(QCoreApplication::instance());
    return Instance;
}

TReference::TReference(QObject* Parent)
    : QObject(Parent), FIndexPath(DefaultIndexPath())
{
}

TReference::~TReference() = default;

void TReference::SetSource(bool Enabled, const QString& IndexPath)
{
    const QString Path = IndexPath.isEmpty() ? DefaultIndexPath() : IndexPath;
    if (Enabled == FEnabled && Path == FIndexPath)
        return;
    FEnabled = Enabled;
    FIndexPath = Path;
    Unload();
}

void TReference::Unload()
{
    FDictionary.reset();
    FError.clear();
    FLoading = false;
    ++FGeneration; // a load still running is dropped when it ends
}

TReference::TState TReference::State() const
{
    if (!FEnabled)
        return TState::Off;
    if (FDictionary)
        return TState::Ready;
    if (!FError.isEmpty())
        return TState::Failed;
    if (FLoading)
        return TState::Loading;
    if (!QFileInfo::exists(FIndexPath))
        return TState::Missing;
    return TState::Idle;
}

bool TReference::Prepare()
{
    const TState S = State();
    if (S == TState::Ready)
        return true;
    if (S != TState::Idle)
        return false;
    FLoading = true;
    const quint64 Generation = FGeneration;
    const QString Path = FIndexPath;
    QPointer<TReference> Self(this);
    QThread* Thread = QThread::create([Self, Generation, Path] {
        auto Dictionary = std::make_shared<TReferenceDictionary>();
        QString Error;
        if (!Dictionary->Open(Path, &Error))
            Dictionary.reset();
        if (Self)
            QMetaObject::invokeMethod(Self, [Self, Generation, Dictionary, Error] {
                if (Self)
                    Self->Finished(Generation, Dictionary, Error);
            }, Qt::QueuedConnection);
    });
    Thread->setObjectName(QStringLiteral("Reference index"));
    connect(Thread, &QThread::finished, Thread, &QObject::deleteLater);
    Thread->start(QThread::LowPriority);
    return false;
}

void TReference::Finished(quint64 Generation, std::shared_ptr<TReferenceDictionary> Dictionary,
                          const QString& Error)
{
    if (Generation != FGeneration)
        return;
    FLoading = false;
    FDictionary = std::move(Dictionary);
    FError = FDictionary ? QString() : Error;
    emit Loaded();
}

TReferenceResult TReference::LookUp(const QString& Text)
{
    if (!Prepare())
        return {};
    return FDictionary->LookUp(Text);
}

#include "platform/TWholeFile.h"

qint64 TWholeFile::writeData(const char* Data, qint64 Size)
{
    qint64 Done = 0;
    // A short write is not an error by itself; the next one says why the disk took no more.
    while (Done < Size) {
        const qint64 Written = QSaveFile::writeData(Data + Done, Size - Done);
        if (Written <= 0) {
            if (error() == QFileDevice::NoError)
                cancelWriting(); // never committed
            return -1;
        }
        Done += Written;
    }
    return Done;
}

bool TWholeFile::Commit()
{
    if (error() == QFileDevice::NoError)
        return commit();
    const QString Why = errorString();
    commit(); // refuses, and removes the temporary file
    setErrorString(Why);
    return false;
}

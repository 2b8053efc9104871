#include "speech/TAudioOutput.h"

#include <pcaudiolib/audio.h>

#include <QByteArray>
#include <QCoreApplication>

namespace {

class TDeviceOutput final : public TAudioOutput
{
public:
    explicit TDeviceOutput(const QString& Device) : FDevice(Device.toUtf8()) {}
    ~TDeviceOutput() override
    {
        if (FObject) {
            if (FOpen)
                audio_object_close(FObject);
            audio_object_destroy(FObject);
        }
    }

    bool Open(int SampleRate, QString& Error) override
    {
        FObject = create_audio_device_object(FDevice.isEmpty() ? nullptr : FDevice.constData(),
                                             "Vexlo Vocabulary", "Pronunciation");
        if (!FObject) {
            Error = QCoreApplication::translate(
                "TAudioOutput", "No sound device was found, so words cannot be spoken.");
            return false;
        }
        const int Result =
            audio_object_open(FObject, AUDIO_OBJECT_FORMAT_S16LE, uint32_t(SampleRate), 1);
        if (Result != 0) {
            const char* Why = audio_object_strerror(FObject, Result);
            Error = QCoreApplication::translate(
                "TAudioOutput", "No sound device could be opened, so words cannot be spoken");
            if (Why && *Why)
                Error += QStringLiteral(" (") + QString::fromLocal8Bit(Why) + QLatin1Char(')');
            Error += QLatin1Char('.');
            return false;
        }
        FOpen = true;
        return true;
    }

    bool Write(const int16_t* Samples, int Count) override
    {
        return FOpen && audio_object_write(FObject, Samples, size_t(Count) * 2) == 0;
    }

    void Finish() override
    {
        if (FOpen)
            audio_object_drain(FObject);
    }

    void Stop() override
    {
        if (FOpen)
            audio_object_flush(FObject);
    }

private:
    QByteArray FDevice;
    audio_object* FObject = nullptr;
    bool FOpen = false;
};

} // namespace

std::unique_ptr<TAudioOutput> CreateDeviceOutput(const QString& Device)
{
    return std::make_unique<TDeviceOutput>(Device);
}

#include "AlarmSound.h"

#include "Log.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <cmath>
#include <cstring>

namespace {

// An endless tone: 0.4 s at 880 Hz, 0.4 s at 660 Hz, 0.4 s of silence, over again.
class ToneSource : public QIODevice {
public:
    explicit ToneSource(int rate) : rate_(rate) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 4096 + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 samples = maxSize / qint64(sizeof(qint16));
        auto* out = reinterpret_cast<qint16*>(data);
        const qint64 cycle = qint64(rate_) * 12 / 10;
        for (qint64 i = 0; i < samples; ++i, ++pos_) {
            const qint64 at = pos_ % cycle;
            const int part = int(at * 3 / cycle);
            const double hz = part == 0 ? 880 : 660;
            const double v = part == 2 ? 0 : std::sin(2 * M_PI * hz * double(at) / rate_) * 0.3;
            out[i] = qint16(v * 32767);
        }
        return samples * qint64(sizeof(qint16));
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    int rate_;
    qint64 pos_ = 0;
};

class DesktopSound : public TAlarmSound {
public:
    void SetTone(bool on) override {
        if (on == on_)
            return;
        on_ = on;
        if (!on) {
            if (sink_)
                sink_->stop();
            return;
        }
        if (failed_)
            return;
        if (!sink_) {
            const QAudioDevice device = QMediaDevices::defaultAudioOutput();
            if (device.isNull()) {
                failed_ = true;
                qCWarning(lcOrdal) << "no sound device: alarms are annunciated without a tone";
                return;
            }
            QAudioFormat format;
            format.setSampleRate(22050);
            format.setChannelCount(1);
            format.setSampleFormat(QAudioFormat::Int16);
            if (!device.isFormatSupported(format))
                format = device.preferredFormat();
            if (format.sampleFormat() != QAudioFormat::Int16 || format.channelCount() != 1) {
                failed_ = true;
                qCWarning(lcOrdal)
                    << "the sound device takes no 16-bit mono: alarms are annunciated without a tone";
                return;
            }
            sink_ = std::make_unique<QAudioSink>(device, format);
            source_ = std::make_unique<ToneSource>(format.sampleRate());
        }
        sink_->start(source_.get());
        if (sink_->error() != QAudio::NoError) {
            failed_ = true;
            qCWarning(lcOrdal) << "the alarm tone cannot be played (error" << sink_->error()
                               << "): alarms are annunciated without a tone";
        }
    }

private:
    bool on_ = false;
    bool failed_ = false;
    std::unique_ptr<ToneSource> source_;
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace

std::unique_ptr<TAlarmSound> MakeDesktopAlarmSound() {
    return std::make_unique<DesktopSound>();
}

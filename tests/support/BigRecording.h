// A long two-channel recording for the benchmarks: ".rca" and ".rcb" in a temporary folder, written
// in 1 MiB blocks by a generator, and `cat` of both files, the plain reading every whole-recording
// path is measured against.
#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace varnilog::test {

class BigRecording {
public:
    // fill(block, first, channel) writes the codes of samples first.. of channel 0 (A) or 1 (B).
    template <typename Fill> BigRecording(std::int64_t samples, Fill fill) : samples_(samples) {
        a_ = dir_.filePath(QStringLiteral("big.rca"));
        b_ = dir_.filePath(QStringLiteral("big.rcb"));
        std::vector<std::uint8_t> block(1 << 20);
        int channel = 0;
        for (const QString& path : {a_, b_}) {
            QFile out(path);
            out.open(QIODevice::WriteOnly);
            for (std::int64_t done = 0; done < samples; done += static_cast<std::int64_t>(block.size())) {
                fill(block, done, channel);
                out.write(reinterpret_cast<const char*>(block.data()), static_cast<qint64>(block.size()));
            }
            ++channel;
        }
    }

    const QString& a() const { return a_; }
    const QString& b() const { return b_; }
    std::int64_t samples() const { return samples_; }
    QString dir() const { return dir_.path(); }

    // `cat` of both files to /dev/null; its exit status.
    int cat() const {
        const QByteArray command = "cat '" + a_.toLocal8Bit() + "' '" + b_.toLocal8Bit() + "' > /dev/null";
        return std::system(command.constData());
    }

private:
    QTemporaryDir dir_;
    QString a_, b_;
    std::int64_t samples_;
};

} // namespace varnilog::test

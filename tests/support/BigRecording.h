// A long two-channel recording for the benchmarks: ".rca" and ".rcb" in a temporary folder, written
// in 1 MiB blocks by a generator, and `cat` of both files, the plain reading every whole-recording
// path is measured against.
#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <cmath>
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

// A noisy sine on A and a noisy square wave on B, both with a period of 1000 samples, so every period
// has its edges: the signal the whole-recording benchmarks measure and compute on.
inline BigRecording& noisyWaves(std::int64_t samples) {
    static BigRecording r(samples, [](std::vector<std::uint8_t>& block, std::int64_t first, int channel) {
        constexpr int kPeriod = 1000;
        static const std::array<std::array<int, kPeriod>, 2> wave = [] {
            std::array<std::array<int, kPeriod>, 2> w{};
            for (int i = 0; i < kPeriod; ++i) {
                w[0][i] = 125 + static_cast<int>(std::lround(100 * std::sin(2 * M_PI * i / kPeriod)));
                w[1][i] = i < kPeriod / 2 ? 215 : 35;
            }
            return w;
        }();
        std::uint32_t x =
            static_cast<std::uint32_t>(first) * 2654435761u + static_cast<std::uint32_t>(channel);
        for (std::size_t i = 0; i < block.size(); ++i) {
            x = x * 1103515245u + 12345u;
            const int noise = static_cast<int>((x >> 24) % 9) - 4;
            block[i] = static_cast<std::uint8_t>(
                wave[channel][(first + static_cast<std::int64_t>(i)) % kPeriod] + noise);
        }
    });
    return r;
}

} // namespace varnilog::test

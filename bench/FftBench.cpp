// The block spectrum against FFTW on the same input in the same run (FFTW: real-to-complex transform of
// the mean-removed block plus the magnitudes), and the spectrum of a whole 2-channel, 64-block recording
// against reading the same files block by block. FFTW is a benchmark-only dependency.
#include "spectrum/Fft.h"
#include "spectrum/RecordingSpectra.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <dlfcn.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace varnilog;

std::vector<float> noiseBlock() {
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<float> x(fftSize);
    for (float& v : x)
        v = static_cast<float>(byte(rng) - 125);
    return x;
}

void BM_ComputeBlockSpectrum(benchmark::State& state) {
    const std::vector<float> x = noiseBlock();
    std::vector<float> out(fftSize);
    Fft fft;
    for (auto _ : state) {
        fft.ComputeBlockSpectrum(std::span<const float, fftSize>(x.data(), fftSize),
                                 std::span<float, fftSize>(out.data(), fftSize));
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ComputeBlockSpectrum)->Unit(benchmark::kMicrosecond);

// The bins FFTW gives for a real block, 0 .. N/2, at every block size (the spectrogram's case).
void BM_BlockSpectrumHalf(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    std::vector<float> x = noiseBlock();
    x.resize(n);
    std::vector<float> out(n / 2 + 1);
    Fft fft(Fft::Path::Fastest, n);
    for (auto _ : state) {
        fft.ComputeBlockSpectrum(x, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_BlockSpectrumHalf)->Arg(4096)->Arg(131072)->Unit(benchmark::kMicrosecond);

// FFTW is taken from its shared library at run time, so the benchmark needs no link flag of its own;
// linked with -lfftw3f the same symbols are found in the program itself.
struct FftwApi {
    decltype(&fftwf_alloc_real) allocReal = nullptr;
    decltype(&fftwf_alloc_complex) allocComplex = nullptr;
    decltype(&fftwf_plan_dft_r2c_1d) planR2c = nullptr;
    decltype(&fftwf_execute) execute = nullptr;
    decltype(&fftwf_destroy_plan) destroyPlan = nullptr;
    decltype(&fftwf_free) free = nullptr;
    bool load() {
        void* lib = dlopen("libfftw3f.so.3", RTLD_NOW);
        if (lib == nullptr)
            return false;
        allocReal = reinterpret_cast<decltype(allocReal)>(dlsym(lib, "fftwf_alloc_real"));
        allocComplex = reinterpret_cast<decltype(allocComplex)>(dlsym(lib, "fftwf_alloc_complex"));
        planR2c = reinterpret_cast<decltype(planR2c)>(dlsym(lib, "fftwf_plan_dft_r2c_1d"));
        execute = reinterpret_cast<decltype(execute)>(dlsym(lib, "fftwf_execute"));
        destroyPlan = reinterpret_cast<decltype(destroyPlan)>(dlsym(lib, "fftwf_destroy_plan"));
        free = reinterpret_cast<decltype(free)>(dlsym(lib, "fftwf_free"));
        return allocReal && allocComplex && planR2c && execute && destroyPlan && free;
    }
};

void BM_FftwBlockSpectrum(benchmark::State& state) {
    FftwApi fftw;
    if (!fftw.load()) {
        state.SkipWithError("libfftw3f.so.3 not found (package libfftw3-dev)");
        return;
    }
    const auto n = static_cast<int>(state.range(0));
    const std::vector<float> x = noiseBlock();
    float* in = fftw.allocReal(n);
    fftwf_complex* bins = fftw.allocComplex(n / 2 + 1);
    fftwf_plan plan = fftw.planR2c(n, in, bins, FFTW_MEASURE);
    std::vector<float> out(n / 2 + 1);
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < n; ++i)
            sum += x[i];
        const double mean = sum / n;
        for (int i = 0; i < n; ++i)
            in[i] = static_cast<float>(x[i] - mean);
        fftw.execute(plan);
        for (int k = 0; k <= n / 2; ++k)
            out[k] = std::sqrt(bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1]);
        benchmark::DoNotOptimize(out.data());
    }
    fftw.destroyPlan(plan);
    fftw.free(bins);
    fftw.free(in);
}
BENCHMARK(BM_FftwBlockSpectrum)->Arg(4096)->Arg(131072)->Unit(benchmark::kMicrosecond);

// Two sample files of 64 blocks each in a temporary folder.
struct RecordingFiles {
    QTemporaryDir dir;
    std::array<std::unique_ptr<QFile>, 2> files;
    RecordingFiles() {
        std::mt19937 rng(2);
        QByteArray bytes(64 * fftSize, '\0');
        for (int c = 0; c < 2; ++c) {
            for (char& b : bytes)
                b = static_cast<char>(rng() & 0xFF);
            files[c] =
                std::make_unique<QFile>(dir.filePath(QStringLiteral("bench.rc%1").arg(QChar('a' + c))));
            files[c]->open(QIODevice::WriteOnly);
            files[c]->write(bytes);
            files[c]->close();
            files[c]->open(QIODevice::ReadOnly);
        }
    }
};

void BM_ComputeRecordingSpectra(benchmark::State& state) {
    RecordingFiles rec;
    auto data = std::make_unique<SpectrumData>();
    RecordingSpectra spectra(static_cast<int>(state.range(0)));
    const std::array<QIODevice*, kChannels> devices{rec.files[0].get(), rec.files[1].get(), nullptr, nullptr};
    for (auto _ : state) {
        spectra.ComputeRecordingSpectra(devices, 2, *data);
        benchmark::DoNotOptimize(data->spectrumPeakAll);
    }
}
BENCHMARK(BM_ComputeRecordingSpectra)->Arg(1)->Arg(2)->ArgName("workers")->Unit(benchmark::kMillisecond);

void BM_ReadRecordingFiles(benchmark::State& state) {
    RecordingFiles rec;
    std::vector<char> block(fftSize);
    for (auto _ : state) {
        for (auto& f : rec.files)
            for (int j = 0; j < 64; ++j) {
                f->seek(std::int64_t(j) * fftSize);
                benchmark::DoNotOptimize(f->read(block.data(), fftSize));
            }
    }
}
BENCHMARK(BM_ReadRecordingFiles)->Unit(benchmark::kMillisecond);

} // namespace

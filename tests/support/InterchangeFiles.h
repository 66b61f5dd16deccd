// Other programs' files, built by hand for the import tests: WAV files of any sample format with extra
// chunks where an editor puts them, their sample bytes, and ZIP archives of named members (what a
// sigrok session is), written through libzip (loaded as the program loads it).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "recording/ZipLibrary.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace varnilog::test {

inline void putLittleEndian(QByteArray& b, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.append(static_cast<char>(v >> (8 * i) & 0xFF));
}

enum class WavSamples { Pcm, Float };

// A RIFF WAV of the frames given at rate hertz, bits per sample (PCM 8..32, float 32 or 64); before and
// after are whole chunks placed ahead of and behind the data chunk.
inline QByteArray wavFile(int channels, int bits, std::uint32_t rate, const QByteArray& frames,
                          WavSamples samples = WavSamples::Pcm, const QByteArray& before = {},
                          const QByteArray& after = {}) {
    QByteArray body("WAVEfmt ");
    putLittleEndian(body, 16, 4);
    putLittleEndian(body, samples == WavSamples::Float ? 3 : 1, 2);
    putLittleEndian(body, static_cast<std::uint32_t>(channels), 2);
    putLittleEndian(body, rate, 4);
    putLittleEndian(body, rate * static_cast<std::uint32_t>(channels * bits / 8), 4);
    putLittleEndian(body, static_cast<std::uint32_t>(channels * bits / 8), 2);
    putLittleEndian(body, static_cast<std::uint32_t>(bits), 2);
    body += before + "data";
    putLittleEndian(body, static_cast<std::uint32_t>(frames.size()), 4);
    body += frames;
    if (frames.size() % 2 != 0)
        body += '\0';
    body += after;
    QByteArray riff("RIFF");
    putLittleEndian(riff, static_cast<std::uint32_t>(body.size()), 4);
    return riff + body;
}

// Signed little-endian integers of bytes each (2 for 16-bit, 3 for 24-bit PCM).
inline QByteArray signedSamples(std::initializer_list<std::int64_t> values, int bytes = 2) {
    QByteArray b;
    for (std::int64_t v : values)
        putLittleEndian(b, static_cast<std::uint64_t>(v), bytes);
    return b;
}

inline QByteArray float32Samples(std::initializer_list<float> values) {
    QByteArray b;
    for (float v : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putLittleEndian(b, bits, 4);
    }
    return b;
}

// A ZIP archive of the members given, written at path; returns its bytes.
inline QByteArray zipArchive(const QString& path,
                             const std::vector<std::pair<QByteArray, QByteArray>>& members) {
    QFile::remove(path);
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const auto& [name, bytes] : members)
        zip_file_add(za, name.constData(),
                     zip_source_buffer(za, bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0), 0);
    zip_close(za);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Takes the member name out of the ZIP archive at path; false when it has none of that name.
inline bool removeZipMember(const QString& path, const char* name) {
    zip_t* za = zip_open(QFile::encodeName(path).constData(), 0, nullptr);
    if (za == nullptr)
        return false;
    const zip_int64_t index = zip_name_locate(za, name, 0);
    const bool removed = index >= 0 && zip_delete(za, static_cast<zip_uint64_t>(index)) == 0;
    return zip_close(za) == 0 && removed;
}

} // namespace varnilog::test

// Files as tests write and read them, the one reader and writer of whole files every test uses: a
// write that cannot be made whole fails the test; a file that cannot be read reads as "<missing>",
// which no expected content equals (an empty file reads as empty).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <random>

namespace varnilog::test {

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size()) << path.toStdString();
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// size bytes of noise, the same for the same seed.
inline QByteArray randomBytes(qsizetype size, unsigned seed) {
    std::mt19937 rng(seed);
    QByteArray bytes(size, 0);
    for (char& b : bytes)
        b = static_cast<char>(rng());
    return bytes;
}

} // namespace varnilog::test

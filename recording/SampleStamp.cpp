#include "recording/SampleStamp.h"

#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "recording/SafeFile.h"

#include <QFile>

#include <cstring>

namespace varnilog {

namespace {

constexpr char kStampMagic[] = "VLSTAMP1";

void putInt(QByteArray& out, std::int64_t v) {
    char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<char>(static_cast<std::uint64_t>(v) >> (8 * i));
    out.append(b, 8);
}

std::int64_t intAt(const char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return static_cast<std::int64_t>(v);
}

} // namespace

QByteArray sampleStamp(const SampleIdentities& identities) {
    QByteArray out(kStampMagic, 8);
    for (const FileIdentity& f : identities) {
        const bool used = f.exists();
        putInt(out, used ? f.size : -1);
        putInt(out, used ? f.modifiedNs : 0);
        putInt(out, used ? f.changedNs : 0);
        putInt(out, used ? static_cast<std::int64_t>(f.inode) : 0);
        putInt(out, used ? static_cast<std::int64_t>(f.device) : 0);
    }
    return out;
}

std::optional<SampleIdentities> sampleStampIdentities(QByteArrayView block) {
    if (block.size() != kSampleStampSize || std::memcmp(block.data(), kStampMagic, 8) != 0)
        return std::nullopt;
    SampleIdentities ids;
    const char* p = block.data() + 8;
    for (FileIdentity& f : ids) {
        f.size = intAt(p);
        f.modifiedNs = intAt(p + 8);
        f.changedNs = intAt(p + 16);
        f.inode = static_cast<std::uint64_t>(intAt(p + 24));
        f.device = static_cast<std::uint64_t>(intAt(p + 32));
        p += 40;
        if (f.size < -1)
            return std::nullopt;
        if (!f.exists())
            f = FileIdentity{};
    }
    return ids;
}

SampleIdentities currentSampleIdentities(const QString& pathInSet, const std::array<bool, 4>& used) {
    SampleIdentities ids;
    for (std::size_t c = 0; c < ids.size(); ++c)
        if (used[c])
            ids[c] = identityOf(sampleFilePath(pathInSet, static_cast<int>(c)));
    return ids;
}

bool stampMatches(const SampleIdentities& stamp, const QString& pathInSet) {
    for (std::size_t c = 0; c < stamp.size(); ++c)
        if (stamp[c].exists() && !(identityOf(sampleFilePath(pathInSet, static_cast<int>(c))) == stamp[c]))
            return false;
    return true;
}

bool restampFile(const QString& path, const QString& pathInSet, const SampleIdentities& before) {
    QFile file;
    if (!openSetFileForReading(file, path, {}))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    if (bytes.size() < kSampleStampSize)
        return false;
    const auto stamp = sampleStampIdentities(QByteArrayView(bytes).last(kSampleStampSize));
    if (!stamp)
        return false;
    SampleIdentities now;
    for (std::size_t c = 0; c < now.size(); ++c) {
        if (!(*stamp)[c].exists())
            continue;
        // Only a stamp of the very files renamed, unchanged, is carried over.
        now[c] = identityOf(sampleFilePath(pathInSet, static_cast<int>(c)));
        if (!((*stamp)[c] == before[c]) || !now[c].sameFile(before[c]) || now[c].size != before[c].size)
            return false;
    }
    bytes.replace(bytes.size() - kSampleStampSize, kSampleStampSize, sampleStamp(now));
    QString error;
    return writeFileSafely(path, bytes, error);
}

} // namespace varnilog

#include "recording/ProfileFile.h"

#include "recording/DiskFileWriter.h"
#include "recording/FileIdentity.h"

// Keys and values are UTF-8 bytes; no wide-character conversion is needed.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QFile>
#include <QFileInfo>

#include <string>

namespace varnilog {

struct ProfileFile::Document {
    CSimpleIniA ini{/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false};
};

namespace {

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// The profile functions end every line with CR LF, so a file reads the same wherever the format is
// read; the INI library writes bare LF here. Line ends already CR LF stay as they are.
QByteArray withCrLf(const std::string& text) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(text.size() + text.size() / 8 + 2));
    char previous = 0;
    for (const char c : text) {
        if (c == '\n' && previous != '\r')
            out.append('\r');
        out.append(c);
        previous = c;
    }
    return out;
}

} // namespace

bool parseProfileInteger(const QString& text, std::int32_t& value) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    int pos = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') {
        negative = t[0] == u'-';
        pos = 1;
    }
    int base = 10;
    if (t.mid(pos, 1) == u"$") {
        base = 16;
        pos += 1;
    } else if (t.mid(pos, 2).compare(u"0x", Qt::CaseInsensitive) == 0) {
        base = 16;
        pos += 2;
    }
    const QString digits = t.mid(pos);
    if (digits.isEmpty())
        return false;
    for (QChar c : digits) {
        const bool ok = base == 10 ? c.isDigit() && c.unicode() < 128
                                   : QStringLiteral("0123456789abcdefABCDEF").contains(c);
        if (!ok)
            return false;
    }
    bool ok = false;
    const qulonglong magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return false;
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFull) {
        // Hexadecimal texts may spell the whole 32-bit pattern, as colours often are.
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        return true;
    }
    const long long signedValue =
        negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (magnitude > 0x80000000ull || signedValue > INT32_MAX || signedValue < INT32_MIN)
        return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

ProfileFile::ProfileFile(QString path) : path_(std::move(path)), doc_(std::make_unique<Document>()) {
    reload();
}

ProfileFile::~ProfileFile() = default;

bool ProfileFile::exists() const {
    return identityOf(path_).exists();
}

void ProfileFile::reload() {
    doc_ = std::make_unique<Document>();
    doc_->ini.SetSpaces(false);
    unreadable_ = false;
    if (path_.isEmpty()) // a text of no file, made from nothing
        return;
    QFile f;
    if (!openFileByName(f, path_)) {
        unreadable_ = identityOf(path_).exists();
        return;
    }
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        unreadable_ = true;
        return;
    }
    doc_->ini.LoadData(data.constData(), static_cast<size_t>(data.size()));
}

bool ProfileFile::hasKey(const QString& section, const QString& key) const {
    return doc_->ini.GetValue(utf8(section).c_str(), utf8(key).c_str(), nullptr) != nullptr;
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    const char* v = doc_->ini.GetValue(utf8(section).c_str(), utf8(key).c_str(), nullptr);
    return v ? QString::fromUtf8(v) : defaultValue;
}

std::int32_t ProfileFile::readInteger(const QString& section, const QString& key,
                                      std::int32_t defaultValue) const {
    const char* v = doc_->ini.GetValue(utf8(section).c_str(), utf8(key).c_str(), nullptr);
    std::int32_t value = 0;
    if (v && parseProfileInteger(QString::fromUtf8(v), value))
        return value;
    return defaultValue;
}

std::uint8_t ProfileFile::readByte(const QString& section, const QString& key,
                                   std::uint8_t defaultValue) const {
    return static_cast<std::uint8_t>(readInteger(section, key, defaultValue) & 0xFF);
}

bool ProfileFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool ProfileFile::writeInteger(const QString& section, const QString& key, std::int64_t value) {
    return writeString(section, key, QString::number(value));
}

bool ProfileFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    // Start from what is on disk now, so a write never undoes another writer's keys.
    reload();
    return setString(section, key, value) && save();
}

bool ProfileFile::setInteger(const QString& section, const QString& key, std::int64_t value) {
    return setString(section, key, QString::number(value));
}

bool ProfileFile::setString(const QString& section, const QString& key, const QString& value) {
    const std::string s = utf8(section), k = utf8(key), v = utf8(value);
    return doc_->ini.SetValue(s.c_str(), k.c_str(), v.c_str()) >= 0;
}

void ProfileFile::removeKey(const QString& section, const QString& key) {
    doc_->ini.Delete(utf8(section).c_str(), utf8(key).c_str());
}

QByteArray ProfileFile::text() const {
    std::string out;
    if (doc_->ini.Save(out) < 0)
        return {};
    return withCrLf(out);
}

bool ProfileFile::save() {
    if (unreadable_)
        return false;
    std::string out;
    if (doc_->ini.Save(out) < 0)
        return false;
    // Written to a temporary file and renamed into place: a crash never leaves half a file.
    QString error;
    return DiskFileWriter().replace(path_, withCrLf(out), error);
}

} // namespace varnilog

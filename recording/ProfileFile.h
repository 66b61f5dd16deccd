// An INI file with the semantics of the Windows profile functions: case-insensitive sections and
// keys, a write changes one key in place (keeping every other line, creating the file and the
// section when missing) and goes straight to the file; an absent key or a text that is not a valid
// integer reads as the default. Used by the configuration and by the ".ros" recording header.
// Several keys are written together by setting them and saving once. Depends on QtCore and SimpleIni.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

namespace varnilog {

class ProfileFile {
public:
    explicit ProfileFile(QString path);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    const QString& path() const { return path_; }
    bool exists() const;

    std::int32_t readInteger(const QString& section, const QString& key, std::int32_t defaultValue) const;
    // Values the program keeps in a byte keep their low 8 bits.
    std::uint8_t readByte(const QString& section, const QString& key, std::uint8_t defaultValue) const;
    // Any integer other than 0 is true; an absent or invalid value is the default.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    bool hasKey(const QString& section, const QString& key) const;

    // Each write is saved at once; false when the file cannot be written.
    bool writeInteger(const QString& section, const QString& key, std::int64_t value);
    bool writeBool(const QString& section, const QString& key, bool value);
    bool writeString(const QString& section, const QString& key, const QString& value);

    // Batch writing: change keys in memory (on top of what was read), then save them all at once, so
    // a reader or a crash sees either none of them or all. The set functions are false only when
    // memory runs out.
    bool setInteger(const QString& section, const QString& key, std::int64_t value);
    bool setString(const QString& section, const QString& key, const QString& value);
    // Drops a key (nothing happens when it is absent).
    void removeKey(const QString& section, const QString& key);
    // The file's text as the next save writes it.
    QByteArray text() const;
    // Writes text() to a temporary file and renames it into place; false when that fails or the
    // file is unreadable (the old file is then unchanged).
    bool save();

    // Re-reads the file (the profile functions never cache: another writer's change is seen).
    void reload();
    // The file is there but could not be read (no permission, no file handle left, I/O error): it
    // reads as empty, and no write replaces it, as that would drop every key it holds.
    bool unreadable() const { return unreadable_; }

private:
    struct Document;
    QString path_;
    std::unique_ptr<Document> doc_;
    bool unreadable_ = false;
};

// Parses a profile integer: optional blanks and sign, decimal digits, or hexadecimal after "$" or
// "0x"; the whole text must be used and fit 32 bits. Returns false when it is not an integer.
bool parseProfileInteger(const QString& text, std::int32_t& value);

} // namespace varnilog

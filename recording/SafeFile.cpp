#include "recording/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>

#ifdef VARNILOG_POSIX_SAFE_FILE
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace varnilog {

namespace {

// Large enough that Qt's writers' many small writes become few system calls, small enough to be
// allocated once per file without thought.
constexpr qsizetype kBufferBytes = 1 << 20;
// A long file goes to the disk in stretches of this size while the rest is still being written, so
// that commit's sync waits only for the last of it.
constexpr qint64 kWriteBehindBytes = qint64{8} << 20;

#ifdef VARNILOG_POSIX_SAFE_FILE
QString systemReason(int error) {
    return qt_error_string(error);
}

constexpr qsizetype kTokenDigits = 16;

constexpr char kNotRegularText[] = "not a regular file (a device, a pipe or a socket): left as it is";

// The target's name as its temporaries begin: cut so the whole stays within the file system's name
// limit, and never inside a UTF-8 character, so the temporary's name is as valid as the target's.
QByteArray temporaryStem(const QByteArray& name) {
    qsizetype cut = std::min<qsizetype>(name.size(), 200);
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return '.' + name.left(cut) + '.';
}

// A hidden name beside the target that nobody can guess.
QByteArray temporaryName(const QByteArray& folder, const QByteArray& name) {
    const quint64 token = QRandomGenerator::system()->generate64();
    return folder + '/' + temporaryStem(name) +
           QByteArray::number(token, 16).rightJustified(kTokenDigits, '0') + ".part";
}

// Removes the temporaries of name that a killed writer left: a live writer holds a lock on its own.
void removeAbandonedTemporaries(const QByteArray& folder, const QByteArray& name) {
    const QByteArray stem = temporaryStem(name);
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView entryName(entry->d_name);
        const QByteArrayView token = entryName.sliced(std::min(stem.size(), entryName.size()));
        if (!entryName.startsWith(stem) || token.size() != kTokenDigits + 5 || !token.endsWith(".part"))
            continue;
        const QByteArray path = folder + '/' + entryName.toByteArray();
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat held {
        }, now{};
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
            S_ISREG(held.st_mode) && ::lstat(path.constData(), &now) == 0 && now.st_ino == held.st_ino &&
            now.st_dev == held.st_dev)
            ::unlink(path.constData());
        if (fd >= 0)
            ::close(fd);
    }
    ::closedir(dir);
}

bool writeAll(int fd, const char* data, qint64 size, int& error) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Why the target may not be replaced, or nothing: a folder, or anything but a regular file (a device,
// a pipe, a socket; also through a link), which a rename would replace by a regular file.
QString refusedTarget(const QByteArray& target) {
    struct stat existing {};
    if (::lstat(target.constData(), &existing) != 0)
        return {};
    if (S_ISDIR(existing.st_mode))
        return systemReason(EISDIR);
    if (S_ISLNK(existing.st_mode) && ::stat(target.constData(), &existing) != 0)
        return {}; // a dangling link is only replaced
    return S_ISREG(existing.st_mode) || S_ISDIR(existing.st_mode) ? QString()
                                                                  : QString::fromLatin1(kNotRegularText);
}

void syncFolder(const QByteArray& folder) {
    // After the rename: a failure here cannot bring the old file back, and some file systems refuse
    // to sync a folder at all, so it is done as well as the system allows.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
#endif

} // namespace

SafeFile::SafeFile(QString targetPath) : target_(std::move(targetPath)) {}

SafeFile::~SafeFile() {
    discard();
}

void SafeFile::fail(const QString& reason) {
    if (error_.isEmpty())
        error_ = reason.isEmpty() ? QStringLiteral("write failed") : reason;
    setErrorString(error_);
}

qint64 SafeFile::readData(char*, qint64) {
    return -1;
}

#ifdef VARNILOG_POSIX_SAFE_FILE

bool SafeFile::open(OpenMode mode) {
    discard();
    error_.clear();
    if ((mode & ReadOnly) || !(mode & WriteOnly)) {
        fail(QStringLiteral("SafeFile writes only"));
        return false;
    }
    // The folder as written: an absolute one would spell a working folder that is no UTF-8 again.
    const QByteArray folder = nativeFileName(folderOfName(target_));
    const QByteArray name = nativeFileName(QFileInfo(target_).fileName());
    if (QString error; !fileNameFits(target_, error)) {
        fail(error);
        return false;
    }
    // Found now rather than at the rename, after everything was written.
    if (const QString refused = refusedTarget(nativeFileName(target_)); !refused.isEmpty()) {
        fail(refused);
        return false;
    }
#ifdef O_TMPFILE
    // Anonymous until committed: a kill at any moment leaves nothing behind.
    fd_ = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    anonymous_ = fd_ >= 0;
    if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        fail(systemReason(errno));
        return false;
    }
#endif
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        const QByteArray candidate = temporaryName(folder, name);
        fd_ = ::open(candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            tempPath_ = candidate;
        else if (errno != EEXIST) {
            fail(systemReason(errno));
            return false;
        }
    }
    if (fd_ < 0) {
        fail(systemReason(EEXIST));
        return false;
    }
    // Held until the file is closed: whoever cleans up temporaries leaves this one alone.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    removeAbandonedTemporaries(folder, name);
    // A replaced file keeps its permissions, as an editor's save would.
    struct stat old {};
    if (::stat(nativeFileName(target_).constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd_, old.st_mode & 07777);
    buffer_.reserve(kBufferBytes);
    written_ = sent_ = 0;
    return QIODevice::open(mode | Unbuffered);
}

bool SafeFile::writeOut(const char* data, qint64 size) {
    int error = 0;
    if (!writeAll(fd_, data, size, error)) {
        fail(systemReason(error));
        return false;
    }
    written_ += size;
#ifdef Q_OS_LINUX
    if (written_ - sent_ >= kWriteBehindBytes) {
        // Only starts the writing; a failure shows at commit's fsync.
        ::sync_file_range(fd_, sent_, written_ - sent_, SYNC_FILE_RANGE_WRITE);
        sent_ = written_;
    }
#endif
    return true;
}

bool SafeFile::flushBuffer() {
    if (buffer_.isEmpty() || failed())
        return !failed();
    writeOut(buffer_.constData(), buffer_.size());
    buffer_.clear();
    return !failed();
}

qint64 SafeFile::writeData(const char* data, qint64 size) {
    if (fd_ < 0 || failed())
        return -1;
    if (buffer_.size() + size > kBufferBytes && !flushBuffer())
        return -1;
    if (size >= kBufferBytes)
        return writeOut(data, size) ? size : -1;
    buffer_.append(data, size);
    return size;
}

bool SafeFile::rewrite(qint64 offset, const char* data, qint64 size) {
    if (fd_ < 0 || !flushBuffer())
        return false;
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, data, static_cast<size_t>(size), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(systemReason(n < 0 ? errno : ENOSPC));
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

int SafeFile::handle() const {
    return fd_;
}

qint64 SafeFile::readBack(qint64 pos, char* out, qint64 count) {
    if (fd_ < 0 || !flushBuffer())
        return -1;
    qint64 done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(fd_, out + done, static_cast<size_t>(count - done), static_cast<off_t>(pos + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 && done == 0 ? -1 : done;
        done += got;
    }
    return done;
}

bool SafeFile::commit() {
    return commitAs(true);
}

bool SafeFile::commitNew() {
    return commitAs(false);
}

bool SafeFile::commitAs(bool replace) {
    if (!prepareCommit(replace) || !putInPlace(replace)) {
        discard();
        return false;
    }
    finishCommit();
    return true;
}

bool SafeFile::prepareCommit(bool replace) {
    targetExisted_ = false;
    if (fd_ < 0) {
        fail(QStringLiteral("file not open"));
        return false;
    }
    const QByteArray target = nativeFileName(target_);
    const QByteArray folder = nativeFileName(folderOfName(target_));
    if (flushBuffer() && ::fsync(fd_) != 0)
        fail(systemReason(errno));
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
    if (!failed() && anonymous_ && replace) {
        // A name of its own first: linkat cannot replace, and rename then swaps it in in one step.
        for (int attempt = 0; attempt < 100 && tempPath_.isEmpty(); ++attempt) {
            const QByteArray candidate = temporaryName(folder, nativeFileName(QFileInfo(target_).fileName()));
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, candidate.constData(), AT_SYMLINK_FOLLOW) == 0)
                tempPath_ = candidate;
            else if (errno != EEXIST) {
                fail(systemReason(errno));
                break;
            }
        }
        if (tempPath_.isEmpty())
            fail(systemReason(EEXIST));
    }
    if (const QString refused = refusedTarget(target); !failed() && replace && !refused.isEmpty())
        fail(refused); // put there while this was written
    return !failed();
}

bool SafeFile::putInPlace(bool replace) {
    const QByteArray target = nativeFileName(target_);
    if (anonymous_ && !replace) {
        // Linking the anonymous file in is the check that the name is free and the claim of it at once.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) != 0) {
            targetExisted_ = errno == EEXIST;
            fail(systemReason(errno));
        }
    } else if (replace ? ::rename(tempPath_.constData(), target.constData()) != 0
                       : !renameNewByName(tempPath_, target)) {
        targetExisted_ = !replace && errno == EEXIST;
        fail(systemReason(errno));
    }
    if (failed())
        return false;
    tempPath_.clear(); // the name is the target's now
    return true;
}

void SafeFile::finishCommit() {
    ::close(fd_);
    fd_ = -1;
    anonymous_ = false;
    QIODevice::close();
    syncFolder(nativeFileName(folderOfName(target_)));
}

SafeFile* SafeFile::commitTogether(const std::vector<SafeFile*>& files) {
    const auto cancelAll = [&](SafeFile* failed) {
        for (SafeFile* f : files)
            f->discard();
        return failed;
    };
    for (SafeFile* f : files)
        if (!f->prepareCommit(true))
            return cancelAll(f);
    // A second name for each old file, so that a later file that cannot go in lets the earlier ones
    // go back; locked, so that another writer of the name does not take it for a killed writer's.
    struct Undo {
        QByteArray target, old; // old empty: the target was new (or its file system has no links,
                                // and then it keeps the new content)
        int lock = -1;
        bool existed = false;
    };
    std::vector<Undo> undo;
    for (SafeFile* f : files) {
        Undo u{nativeFileName(f->target_), {}, -1, false};
        struct stat st {};
        u.existed = ::lstat(u.target.constData(), &st) == 0;
        const QByteArray candidate = temporaryName(nativeFileName(folderOfName(f->target_)),
                                                   nativeFileName(QFileInfo(f->target_).fileName()));
        if (u.existed && ::link(u.target.constData(), candidate.constData()) == 0) {
            u.old = candidate;
            u.lock = ::open(candidate.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (u.lock >= 0)
                ::flock(u.lock, LOCK_EX | LOCK_NB);
        }
        undo.push_back(u);
    }
    const auto dropOld = [&] {
        for (const Undo& u : undo) {
            if (!u.old.isEmpty())
                ::unlink(u.old.constData());
            if (u.lock >= 0)
                ::close(u.lock);
        }
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i]->putInPlace(true))
            continue;
        for (std::size_t back = 0; back < i; ++back) {
            Undo& u = undo[back];
            if (!u.old.isEmpty() && ::rename(u.old.constData(), u.target.constData()) == 0)
                u.old.clear();
            else if (!u.existed)
                ::unlink(u.target.constData());
        }
        dropOld();
        return cancelAll(files[i]);
    }
    dropOld();
    for (SafeFile* f : files)
        f->finishCommit();
    return nullptr;
}

void SafeFile::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.isEmpty())
        ::unlink(tempPath_.constData());
    tempPath_.clear();
    anonymous_ = false;
    buffer_.clear();
    if (isOpen())
        QIODevice::close();
}

#else
// Not POSIX: Qt's own save file, unbuffered so every write is checked as it happens. It cannot be read
// back or handed out as a descriptor.

bool SafeFile::open(OpenMode mode) {
    discard();
    error_.clear();
    if (QString error; !fileNameFits(target_, error)) {
        fail(error);
        return false;
    }
    // QSaveFile writes to what a link points at: the link itself goes first (what it points at stays),
    // so a link planted at the name never has another file overwritten.
    if (const QFileInfo existing(target_); existing.exists() && !existing.isFile() && !existing.isDir()) {
        fail(QStringLiteral("not a regular file (a device, a pipe or a socket): left as it is"));
        return false;
    }
    if (QFileInfo(target_).isSymLink() && !QFile::remove(target_)) {
        fail(QStringLiteral("cannot replace the link"));
        return false;
    }
    save_ = std::make_unique<QSaveFile>(target_);
    if (!save_->open(WriteOnly | Unbuffered)) {
        fail(save_->errorString());
        save_.reset();
        return false;
    }
    return QIODevice::open(mode | Unbuffered);
}

bool SafeFile::flushBuffer() {
    return !failed();
}

qint64 SafeFile::readBack(qint64, char*, qint64) {
    return -1;
}

int SafeFile::handle() const {
    return -1;
}

qint64 SafeFile::writeData(const char* data, qint64 size) {
    if (!save_ || failed())
        return -1;
    for (qint64 done = 0; done < size;) {
        const qint64 n = save_->write(data + done, size - done);
        if (n <= 0) {
            fail(save_->errorString());
            return -1;
        }
        done += n;
    }
    return size;
}

bool SafeFile::rewrite(qint64 offset, const char* data, qint64 size) {
    if (!save_ || failed())
        return false;
    const qint64 end = save_->pos();
    if (!save_->seek(offset) || save_->write(data, size) != size || !save_->seek(end)) {
        fail(save_->errorString());
        return false;
    }
    return true;
}

bool SafeFile::commit() {
    if (!save_ || failed()) {
        fail(QStringLiteral("file not open"));
        discard();
        return false;
    }
    const bool ok = save_->commit();
    if (!ok)
        fail(save_->errorString());
    save_.reset();
    QIODevice::close();
    return ok;
}

bool SafeFile::commitNew() {
    // Not one step here: the check and the commit are as close as Qt allows.
    targetExisted_ = QFileInfo::exists(target_) || QFileInfo(target_).isSymLink();
    if (targetExisted_) {
        fail(QStringLiteral("File exists"));
        discard();
        return false;
    }
    return commit();
}

SafeFile* SafeFile::commitTogether(const std::vector<SafeFile*>& files) {
    // Qt's save file has no step before its rename: the files go in one after another, and a failure
    // cancels the rest.
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!files[i]->commit()) {
            for (std::size_t rest = i + 1; rest < files.size(); ++rest)
                files[rest]->cancel();
            return files[i];
        }
    return nullptr;
}

void SafeFile::discard() {
    if (save_)
        save_->cancelWriting();
    save_.reset();
    if (isOpen())
        QIODevice::close();
}

#endif

FileIdentity SafeFile::identity() const {
    return identityOf(handle());
}

void SafeFile::cancel() {
    discard();
}

bool fileNameFits(const QString& path, QString& error) {
    constexpr qsizetype kNameBytes = 255; // the longest file name Linux's and the BSDs' file systems take
    if (nativeFileName(QFileInfo(path).fileName()).size() <= kNameBytes)
        return true;
    error = qt_error_string(ENAMETOOLONG);
    return false;
}

bool writeFileSafely(const QString& path, QByteArrayView bytes, QString& error) {
    return writeFileSafely(
        path, [&](QIODevice& device) { return device.write(bytes.data(), bytes.size()) == bytes.size(); },
        error);
}

bool writeFilesSafely(const std::vector<SafeFileContent>& files, QString& error) {
    std::vector<std::unique_ptr<SafeFile>> written;
    const auto failed = [&](const SafeFile& file) {
        error = QStringLiteral("%1: %2").arg(
            file.targetPath(), file.failed() ? file.errorString() : QStringLiteral("cannot be written"));
        return false;
    };
    for (const SafeFileContent& content : files) {
        written.push_back(std::make_unique<SafeFile>(content.path));
        SafeFile& file = *written.back();
        if (!file.open(QIODevice::WriteOnly) || !content.fill(file) || file.failed())
            return failed(file);
    }
    std::vector<SafeFile*> set;
    for (const auto& file : written)
        set.push_back(file.get());
    if (SafeFile* file = SafeFile::commitTogether(set))
        return failed(*file);
    return true;
}

bool writeFileSafely(const QString& path, const std::function<bool(QIODevice&)>& fill, QString& error) {
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    const bool filled = fill(file);
    if (!filled || file.failed()) {
        // Abandoned by fill itself: its reason, if any, is the caller's to give.
        error = file.failed() ? file.errorString() : QString();
        file.cancel();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace varnilog

// The table is filled by name: ZipLibrary.h's macros take only calls, so the members and the looked-up
// names stay libzip's own.
#include "recording/ZipLibrary.h"

#include <dlfcn.h>

namespace varnilog {

namespace {

struct Loaded {
    ZipLibrary functions;
    QString error;
};

const Loaded& loaded() {
    static const Loaded library = [] {
        Loaded l;
        void* handle = dlopen(VARNILOG_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            l.error =
                QStringLiteral("sigrok sessions need libzip: %1").arg(QString::fromLocal8Bit(dlerror()));
            return l;
        }
        ZipLibrary f;
        QString missing;
#define VARNILOG_ZIP_RESOLVE(name)                                                                           \
    f.name = reinterpret_cast<decltype(f.name)>(dlsym(handle, #name));                                       \
    if (f.name == nullptr && missing.isEmpty())                                                              \
        missing = QStringLiteral(#name);
        VARNILOG_ZIP_FUNCTIONS(VARNILOG_ZIP_RESOLVE)
#undef VARNILOG_ZIP_RESOLVE
        if (!missing.isEmpty()) {
            l.error = QStringLiteral("sigrok sessions need libzip: %1 has no %2")
                          .arg(QStringLiteral(VARNILOG_LIBZIP_SONAME), missing);
            return l; // the library stays loaded, unused
        }
        l.functions = f;
        return l;
    }();
    return library;
}

} // namespace

bool zipLibraryLoaded(QString& error) {
    error = loaded().error;
    return error.isEmpty();
}

const ZipLibrary& zipLibrary() {
    return loaded().functions;
}

} // namespace varnilog

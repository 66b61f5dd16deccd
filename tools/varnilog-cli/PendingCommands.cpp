// Commands whose core pieces are still being joined up report it plainly instead of pretending.
#include "CliSupport.h"

namespace varnilog::cli {

int runSpectrum(const QStringList&) {
    return fail(QStringLiteral("spectrum: not available in this build"));
}
int runRecord(const QStringList&) {
    return fail(QStringLiteral("record: not available in this build"));
}

} // namespace varnilog::cli

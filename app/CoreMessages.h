// The wording of what the core reports (app/CoreError.h, app/AcquisitionNotice.h): one place, so the window
// and the command line say the same in the user's language. Depends on QtCore and the vocabulary.
#pragma once

#include "app/AcquisitionNotice.h"
#include "app/CoreError.h"

#include <QString>

namespace varnilog {

// The text of error; empty for none.
QString coreMessage(const CoreError& error);

// The text of a recording's notice; empty for none.
QString coreMessage(const AcquisitionNotice& notice);

} // namespace varnilog

// record: what the tool says when the user may not open the port, in English, from the core's reading
// of the device's owner, group and mode.
#pragma once

#include <QString>

namespace varnilog {

QString portAccessText(const QString& portName);

} // namespace varnilog

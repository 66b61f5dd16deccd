// The serial ports as this system has them: the ones a board can be on, and why a port may not be
// opened (its owner, group and mode against the user's groups), so the advice fits the case.
// Depends on POSIX and QtCore.
#pragma once

#include "app/PortAccess.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnilog {

// The boards' USB serial adapters present under devDir: ttyUSB* then ttyACM*, each in number order,
// as port names ("ttyUSB0").
QStringList boardPorts(const QString& devDir = QStringLiteral("/dev"));

// True when no port of this system was chosen: an empty name, or a Windows name ("COM1") that a new
// or an old configuration holds.
bool portUnchosen(const QString& portName);

// The port Start opens: the configured one, or when none was chosen the first board port present;
// empty when there is none to take (the user must choose).
QString portToOpen(const QString& configured, const QStringList& presentBoardPorts);

// What the device's permissions say about this user; empty when the device cannot be looked at.
std::optional<PortAccess> portAccess(const QString& devicePath);

} // namespace varnilog

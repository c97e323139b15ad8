#pragma once

// The id this machine is known by to the web service and in the About window.

#include <QByteArray>
#include <QString>

#include <optional>

// A stable id of this machine as an upper-case 8-4-4-4-12 UUID, derived from
// /etc/machine-id (never the raw id). Nothing when no machine id is readable.
std::optional<QString> deviceUUID();
// The derivation on its own: nothing unless `machineId` is 32 hex digits.
std::optional<QString> deviceUUIDFromMachineId(const QByteArray& machineId);

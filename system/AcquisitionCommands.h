#pragma once

class Command;

// The system controller's commands that route meter replies and reset statuses of the
// instruments and audiogroups (types 0, 23 and 24). Each returns 0, or -1 for a missing
// payload, instrument manager, instrument or audiogroup.
namespace AcquisitionCommands {

// 0: hands a meter's finished reply to the instrument it names.
int routeInstrumentReply(Command *command);
// 23: resets an audiogroup's violation counters.
int resetViolationStatus(Command *command);
// 24: resets an instrument's acquisition status.
int resetAcquisitionStatus(Command *command);

// The per-audiogroup services of the layers above acquisition.
void installAgServices();

} // namespace AcquisitionCommands

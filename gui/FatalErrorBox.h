#pragma once

// Makes the fatal-error path show its box in a window when a GUI with a display runs.
void installFatalErrorBox();

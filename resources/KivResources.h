#pragma once

// Registers the embedded pictures (and templates) with Qt's resource system. The
// resources sit in a static library, whose registration the linker would drop unless
// something calls this; safe to call any number of times from any thread.
void initKivResources();

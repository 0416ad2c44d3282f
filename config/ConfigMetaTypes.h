#pragma once

// Registers the configuration records (and QList<int>, QList<AlertContactConfig>) for
// queued signals and QVariant. Called once at start-up; calling it again is harmless.
void registerConfigMetaTypes();

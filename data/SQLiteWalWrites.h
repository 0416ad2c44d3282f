#pragma once

// Makes the process's default SQLite file layer one that hands a commit's WAL frames to the
// system in one write instead of two writes per frame (a 24-byte header, then the page).
// Everything else passes through unchanged, and a commit's frames are all written before
// its commit returns, so a killed process keeps what it kept before. Any thread; the first
// call installs it, later calls do nothing. Returns an SQLite result code.
int installSQLiteWalWrites();

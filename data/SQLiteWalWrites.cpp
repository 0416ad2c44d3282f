#include "SQLiteWalWrites.h"

#include <ORQLogging.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

// SQLite writes each WAL frame as two system calls, and a batch commits about ten frames:
// some twenty writes, each a trip into the kernel, where one would do. This layer gathers a
// WAL file's consecutive writes and writes them at once when the frame that ends a commit is
// complete, so the commit's frames are all in the file when its last write returns, and any
// failure is that write's failure. Any other use of the WAL file (read, sync, size,
// truncate, close, a lock or barrier on its database's shared memory) first writes what is
// gathered, in the order it came.

namespace {

// A frame's header; its bytes 4 to 7 hold the database size after a commit, 0 otherwise.
constexpr int kFrameHeaderBytes = 24;
// Gathered at most: a larger commit is written in several steps. The system's file layer
// writes less than 128 KB in one call.
constexpr int kGatherBytes = 64 * 1024;

struct File
{
    sqlite3_file base;
    sqlite3_file *real;
    bool wal;
    // Gathered writes of a WAL file: bytes [start, start + length).
    char *buffer;
    int length;
    sqlite3_int64 start;
    bool commitPending;
    // A database's WAL file, and a WAL file's database, while both are open.
    File *walFile;
    File *dbFile;
};

sqlite3_vfs *gReal = nullptr;
sqlite3_vfs gVfs;
sqlite3_io_methods gMethods[3];

int realOffset() { return int((sizeof(File) + 7) & ~size_t(7)); }

int flush(File *file)
{
    file->commitPending = false;
    if (file->length == 0)
        return SQLITE_OK;
    const int length = file->length;
    file->length = 0;
    return file->real->pMethods->xWrite(file->real, file->buffer, length, file->start);
}

File *self(sqlite3_file *file) { return reinterpret_cast<File *>(file); }

int xClose(sqlite3_file *f)
{
    File *file = self(f);
    const int flushed = flush(file);
    std::free(file->buffer);
    file->buffer = nullptr;
    if (file->dbFile && file->dbFile->walFile == file)
        file->dbFile->walFile = nullptr;
    if (file->walFile && file->walFile->dbFile == file)
        file->walFile->dbFile = nullptr;
    const int rc = file->real->pMethods->xClose(file->real);
    return flushed != SQLITE_OK ? flushed : rc;
}

int xRead(sqlite3_file *f, void *data, int amount, sqlite3_int64 offset)
{
    File *file = self(f);
    const int rc = flush(file);
    if (rc != SQLITE_OK)
        return rc;
    return file->real->pMethods->xRead(file->real, data, amount, offset);
}

int xWrite(sqlite3_file *f, const void *data, int amount, sqlite3_int64 offset)
{
    File *file = self(f);
    if (!file->wal)
        return file->real->pMethods->xWrite(file->real, data, amount, offset);
    if (file->length > 0 &&
        (offset != file->start + file->length || file->length + amount > kGatherBytes)) {
        const int rc = flush(file);
        if (rc != SQLITE_OK)
            return rc;
    }
    if (!file->buffer && amount <= kGatherBytes)
        file->buffer = static_cast<char *>(std::malloc(kGatherBytes));
    if (!file->buffer || amount > kGatherBytes) {
        const int rc = flush(file);
        if (rc != SQLITE_OK)
            return rc;
        return file->real->pMethods->xWrite(file->real, data, amount, offset);
    }
    if (file->length == 0)
        file->start = offset;
    std::memcpy(file->buffer + file->length, data, size_t(amount));
    file->length += amount;
    if (file->commitPending)
        return flush(file); // the page of the commit frame
    if (amount == kFrameHeaderBytes) {
        const unsigned char *header = static_cast<const unsigned char *>(data);
        file->commitPending = (header[4] | header[5] | header[6] | header[7]) != 0;
    }
    return SQLITE_OK;
}

int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    File *file = self(f);
    const int rc = flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xTruncate(file->real, size);
}

int xSync(sqlite3_file *f, int flags)
{
    File *file = self(f);
    const int rc = flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xSync(file->real, flags);
}

int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    File *file = self(f);
    const int rc = flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xFileSize(file->real, size);
}

int xLock(sqlite3_file *f, int lock)
{
    return self(f)->real->pMethods->xLock(self(f)->real, lock);
}

int xUnlock(sqlite3_file *f, int lock)
{
    return self(f)->real->pMethods->xUnlock(self(f)->real, lock);
}

int xCheckReservedLock(sqlite3_file *f, int *out)
{
    return self(f)->real->pMethods->xCheckReservedLock(self(f)->real, out);
}

int xFileControl(sqlite3_file *f, int op, void *arg)
{
    File *file = self(f);
    const int rc = flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xFileControl(file->real, op, arg);
}

int xSectorSize(sqlite3_file *f) { return self(f)->real->pMethods->xSectorSize(self(f)->real); }

int xDeviceCharacteristics(sqlite3_file *f)
{
    return self(f)->real->pMethods->xDeviceCharacteristics(self(f)->real);
}

int xShmMap(sqlite3_file *f, int region, int size, int extend, void volatile **out)
{
    return self(f)->real->pMethods->xShmMap(self(f)->real, region, size, extend, out);
}

// Before a lock on the shared memory changes and before the barrier that publishes a
// commit to readers: the WAL file holds every frame written so far.
int flushWalOf(File *file) { return file->walFile ? flush(file->walFile) : SQLITE_OK; }

int xShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    File *file = self(f);
    const int rc = flushWalOf(file);
    if (rc != SQLITE_OK && (flags & SQLITE_SHM_LOCK))
        return rc;
    return file->real->pMethods->xShmLock(file->real, offset, n, flags);
}

void xShmBarrier(sqlite3_file *f)
{
    File *file = self(f);
    if (flushWalOf(file) != SQLITE_OK)
        KIV_LOG(2, "SQLite WAL write failed before a commit was published\n");
    file->real->pMethods->xShmBarrier(file->real);
}

int xShmUnmap(sqlite3_file *f, int deleteFlag)
{
    File *file = self(f);
    flushWalOf(file);
    return file->real->pMethods->xShmUnmap(file->real, deleteFlag);
}

int xFetch(sqlite3_file *f, sqlite3_int64 offset, int amount, void **out)
{
    File *file = self(f);
    const int rc = flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xFetch(file->real, offset, amount, out);
}

int xUnfetch(sqlite3_file *f, sqlite3_int64 offset, void *page)
{
    return self(f)->real->pMethods->xUnfetch(self(f)->real, offset, page);
}

int xOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    File *file = self(f);
    std::memset(file, 0, sizeof(File));
    file->real = reinterpret_cast<sqlite3_file *>(reinterpret_cast<char *>(f) + realOffset());
    const int rc = gReal->xOpen(gReal, name, file->real, flags, outFlags);
    const sqlite3_io_methods *methods = file->real->pMethods;
    if (!methods) {
        file->base.pMethods = nullptr;
        return rc;
    }
    file->base.pMethods = &gMethods[std::max(1, std::min(3, methods->iVersion)) - 1];
    if (rc == SQLITE_OK && (flags & SQLITE_OPEN_WAL) && name) {
        file->wal = true;
        sqlite3_file *database = sqlite3_database_file_object(name);
        if (database && database->pMethods >= &gMethods[0] && database->pMethods <= &gMethods[2]) {
            file->dbFile = self(database);
            file->dbFile->walFile = file;
        }
    }
    return rc;
}

} // namespace

int installSQLiteWalWrites()
{
    static int result = SQLITE_ERROR;
    static std::once_flag once;
    std::call_once(once, [] {
        gReal = sqlite3_vfs_find(nullptr);
        if (!gReal)
            return;
        sqlite3_io_methods methods{};
        methods.xClose = xClose;
        methods.xRead = xRead;
        methods.xWrite = xWrite;
        methods.xTruncate = xTruncate;
        methods.xSync = xSync;
        methods.xFileSize = xFileSize;
        methods.xLock = xLock;
        methods.xUnlock = xUnlock;
        methods.xCheckReservedLock = xCheckReservedLock;
        methods.xFileControl = xFileControl;
        methods.xSectorSize = xSectorSize;
        methods.xDeviceCharacteristics = xDeviceCharacteristics;
        methods.xShmMap = xShmMap;
        methods.xShmLock = xShmLock;
        methods.xShmBarrier = xShmBarrier;
        methods.xShmUnmap = xShmUnmap;
        methods.xFetch = xFetch;
        methods.xUnfetch = xUnfetch;
        for (int version = 1; version <= 3; ++version) {
            gMethods[version - 1] = methods;
            gMethods[version - 1].iVersion = version;
        }
        gVfs = *gReal;
        gVfs.pNext = nullptr;
        gVfs.zName = "kiv-wal-writes";
        gVfs.szOsFile = realOffset() + gReal->szOsFile;
        gVfs.xOpen = xOpen;
        result = sqlite3_vfs_register(&gVfs, 1);
    });
    return result;
}

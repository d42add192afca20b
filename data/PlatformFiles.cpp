#include "PlatformFiles.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>

bool SyncFileToDisk(int handle)
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(handle))) != 0;
}

bool SyncFolder(const QString&)
{
    // NTFS journals its renames; a folder cannot be flushed there.
    return true;
}

bool HardLink(const QString& existing, const QString& newName)
{
    return CreateHardLinkW(reinterpret_cast<LPCWSTR>(newName.utf16()), reinterpret_cast<LPCWSTR>(existing.utf16()),
                           nullptr) != 0;
}

bool ReplaceByRename(const QString& from, const QString& to)
{
    return MoveFileExW(reinterpret_cast<LPCWSTR>(from.utf16()), reinterpret_cast<LPCWSTR>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

bool SyncFileToDisk(int handle)
{
    int rc;
    do {
        rc = ::fsync(handle);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = SyncFileToDisk(fd);
    ::close(fd);
    return synced;
}

bool HardLink(const QString& existing, const QString& newName)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(newName).constData()) == 0;
}

bool ReplaceByRename(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
#endif

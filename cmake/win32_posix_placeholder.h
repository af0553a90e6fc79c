// placeholder until the Win32 adapter lands
// station/serial_numbers.cpp and station/production_log.cpp still call flock, fsync and open
// with POSIX flags directly; until they go through core/os_files.h, a Windows build compiles
// them with these stand-ins: no locks, fsync as _commit, the flags Windows has not as none.
#pragma once

#include <fcntl.h>
#include <io.h>

#define O_NOFOLLOW 0
#define O_CLOEXEC 0
#define O_NONBLOCK 0
#define LOCK_EX 2
#define LOCK_UN 8

inline int flock(int, int) { return 0; }
inline int fsync(int fd) { return _commit(fd); }

#include "shell/ListRefills.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "records/DataFile.h"

FileStamp FileStamp::of(const QString& dataPath) {
    FileStamp out;
    // Never waits on something that is no plain file (a pipe in its place).
    const int fd = ::open(fileSystemName(dataPath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return out;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!ok || !S_ISREG(st.st_mode)) return out;
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // A change this recent may be followed by another with the same times.
    if (now.tv_sec - st.st_mtim.tv_sec < 2) return out;
    out.valid = true;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.size = st.st_size;
    out.mtimeSec = st.st_mtim.tv_sec;
    out.mtimeNsec = st.st_mtim.tv_nsec;
    out.ctimeSec = st.st_ctim.tv_sec;
    out.ctimeNsec = st.st_ctim.tv_nsec;
    return out;
}

bool FileStamp::unchangedFrom(const FileStamp& e) const {
    return valid && e.valid && device == e.device && inode == e.inode && size == e.size &&
           mtimeSec == e.mtimeSec && mtimeNsec == e.mtimeNsec && ctimeSec == e.ctimeSec &&
           ctimeNsec == e.ctimeNsec;
}

void ListRefills::refill(List list) {
    if (m_depth > 0 && m_done[list] && !m_stale[list]) return;
    m_done[list] = m_depth > 0;
    m_stale[list] = false;
    if (m_fill[list]) m_fill[list]();
}

ListRefills::Command::~Command() {
    if (--m_lists.m_depth > 0) return;
    m_lists.m_done = {};
    m_lists.m_stale = {};
    for (const auto& done : m_lists.m_onEnd) done();
}

#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

namespace tavrel {

namespace {

TemporaryFileWatch* g_watch = nullptr;

// The permissions a newly created file gets: 0666 less the umask (which can only be read by
// setting it).
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Makes a rename in `folder` survive a crash; a folder that cannot be flushed is no failure (the
// file itself is on the disk).
void FlushFolder(const std::filesystem::path& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

// Flushes the file to the disk (fdatasync) whenever kFlushBytes more were written, until
// stopped. The first failure is kept for Commit: a later flush of the same file would not report
// it again.
class AtomicFile::Flusher {
  public:
    explicit Flusher(int fd) : m_fd(fd), m_thread([this] { Run(); }) {}
    ~Flusher() { Stop(); }
    Flusher(const Flusher&) = delete;
    Flusher& operator=(const Flusher&) = delete;

    void Wrote(off_t written) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_written = written;
            if (m_written - m_flushed < kFlushBytes) return;
        }
        m_wake.notify_one();
    }
    // Waits for a flush under way; returns the first failure's error number, or 0.
    int Stop() {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_stop = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable()) m_thread.join();
        return m_error;
    }

  private:
    void Run() {
        std::unique_lock<std::mutex> lock(m_lock);
        while (m_error == 0) {
            m_wake.wait(lock, [this] { return m_stop || m_written - m_flushed >= kFlushBytes; });
            if (m_stop) return;
            const off_t upTo = m_written;
            lock.unlock();
            // A file system without flushing (EINVAL) has nothing to wait for.
            const int error = fdatasync(m_fd) != 0 && errno != EINVAL ? errno : 0;
            lock.lock();
            m_error = error;
            m_flushed = upTo;
        }
    }

    const int m_fd;
    std::mutex m_lock;
    std::condition_variable m_wake;
    off_t m_written = 0;
    off_t m_flushed = 0;
    bool m_stop = false;
    int m_error = 0;
    std::thread m_thread;  // last: started once the members above exist
};

TemporaryFileWatch* SetTemporaryFileWatch(TemporaryFileWatch* watch) {
    TemporaryFileWatch* previous = g_watch;
    g_watch = watch;
    return previous;
}

AtomicFile::AtomicFile(std::string path) : m_target(std::move(path)) {
    if (m_target.empty()) {
        m_error = ENOENT;
        return;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(m_target, ec)) {
        m_error = EISDIR;
        return;
    }
    // An output that is a symbolic link is written through it: the file it names is replaced and
    // the link stays.
    if (std::filesystem::is_symlink(m_target, ec)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(m_target, ec);
        if (!ec) m_target = resolved.string();
    }
    struct stat existing {};
    const bool exists = stat(m_target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe cannot be replaced by a file: it gets the bytes directly.
        m_fd = open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0) m_error = errno;
        return;
    }
    // A file the user has made read-only is not replaced: one without any write bit is refused
    // also for the superuser, whom access() would let write it.
    if (exists && ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                   access(m_target.c_str(), W_OK) != 0)) {
        m_error = (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ? EACCES : errno;
        return;
    }
    std::filesystem::path folder = std::filesystem::path(m_target).parent_path();
    if (folder.empty()) folder = ".";
    std::string temporary =
        (folder / ("." + std::filesystem::path(m_target).filename().string() + ".XXXXXX")).string();
    if (g_watch) g_watch->Creating();
    m_fd = mkostemp(temporary.data(), O_CLOEXEC);
    const int error = errno;
    if (g_watch) g_watch->Created(m_fd >= 0 ? temporary : std::string());
    if (m_fd < 0) {
        m_error = error;
        return;
    }
    m_temporary = std::move(temporary);
    if (exists) {
        // The owner and group of the file replaced where allowed, then its permissions (a change
        // of owner clears the set-id bits).
        if (existing.st_uid != geteuid() || existing.st_gid != getegid())
            (void)!fchown(m_fd, existing.st_uid, existing.st_gid);
        fchmod(m_fd, existing.st_mode & 07777);
    } else {
        fchmod(m_fd, NewFileMode());
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::StopFlusher() {
    if (!m_flusher) return;
    const int error = m_flusher->Stop();
    m_flusher.reset();
    if (error != 0 && m_error == 0) m_error = error;
}

void AtomicFile::Discard() {
    StopFlusher();
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (m_temporary.empty()) return;
    if (g_watch) g_watch->Released();
    unlink(m_temporary.c_str());
    m_temporary.clear();
}

bool AtomicFile::Write(std::string_view bytes) {
    if (m_fd < 0 && m_error == 0) m_error = EBADF;
    while (!bytes.empty() && m_error == 0) {
        const ssize_t n = write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno != EINTR) m_error = errno;
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        m_written += n;
    }
    if (m_error == 0 && !m_temporary.empty() && m_written >= kFlushBytes) {
        if (!m_flusher) {
            try {
                m_flusher = std::make_unique<Flusher>(m_fd);
            } catch (const std::exception&) {
                // No thread to be had: Commit flushes it all, as for a short file.
            }
        }
        if (m_flusher) m_flusher->Wrote(m_written);
    }
    return m_error == 0;
}

bool AtomicFile::Commit() {
    if (m_fd < 0 && m_error == 0) m_error = EBADF;
    StopFlusher();
    // A file system without flushing (EINVAL) has nothing more to write.
    if (m_error == 0 && !m_temporary.empty() && fsync(m_fd) != 0 && errno != EINVAL)
        m_error = errno;
    if (m_fd >= 0) {
        const int closed = close(m_fd);
        if (closed != 0 && m_error == 0) m_error = errno;
        m_fd = -1;
    }
    if (m_error == 0 && !m_temporary.empty()) {
        if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
            m_error = errno;
        } else {
            if (g_watch) g_watch->Released();
            m_temporary.clear();
            std::filesystem::path folder = std::filesystem::path(m_target).parent_path();
            FlushFolder(folder.empty() ? "." : folder);
        }
    }
    Discard();
    return m_error == 0;
}

std::string AtomicFile::Reason() const {
    return std::strerror(m_error != 0 ? m_error : EIO);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* reason) {
    AtomicFile file(path);
    if (file.IsOpen() && file.Write(bytes) && file.Commit()) return true;
    if (reason) *reason = file.Reason();
    return false;
}

}  // namespace tavrel

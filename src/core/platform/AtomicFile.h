// A file replaced in one step. Every file the program saves (the document, the processed-data
// export, the command-line tool's outputs) is written through it, so that a full disk, a lost
// network mount or a program stopped half-way never leaves a damaged file in place of the old one:
//
//   1. the bytes go to a temporary file in the target's folder (".<name>.XXXXXX");
//   2. Commit flushes it to the disk (fsync) and renames it over the target in one step;
//   3. on any failure, or when the object goes without Commit, the temporary file is removed and
//      the target is left exactly as it was.
//
// The replacement keeps the permissions of the file it replaces (a new file gets those the umask
// allows); a read-only target is refused, not replaced; a symbolic link is written through (the
// file it names is replaced, the link stays). A target that exists but is no regular file (a
// device, a pipe) cannot be replaced and is written directly.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

namespace tavrel {

class AtomicFile {
  public:
    // Opens the temporary file (or the special file). Check IsOpen(): a folder that does not
    // exist or cannot be written, a target that is a folder or a read-only file fail here.
    explicit AtomicFile(std::string path);
    // Removes the temporary file unless Commit put it in place.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // Appends bytes; false once anything could not be written.
    [[nodiscard]] bool Write(std::string_view bytes);
    // Flushes the file to the disk and puts it in place of the target; false (the target as it
    // was, no temporary file left) when anything failed, now or before.
    [[nodiscard]] bool Commit();
    // The system's error number of the first failure; 0 while there was none.
    int Error() const { return m_error; }
    // The system's text for Error().
    std::string Reason() const;

  private:
    class Flusher;
    void Discard();
    // Stops the flusher (waiting for a flush under way); its failure becomes the file's.
    void StopFlusher();

    std::string m_target;     // the file replaced: the path, or the file a symbolic link names
    std::string m_temporary;  // empty when writing a special file directly
    int m_fd = -1;
    int m_error = 0;
    // Bytes written.
    off_t m_written = 0;
    // A long file is flushed to the disk by a thread of its own while it is still being written,
    // each time this many more bytes were written, so that Commit's flush has only the last of
    // them left to wait for (with a virtual disk, a flush takes time in proportion to the bytes
    // written since the last one).
    static constexpr off_t kFlushBytes = off_t{8} << 20;
    std::unique_ptr<Flusher> m_flusher;
};

// Writes `bytes` to `path` through an AtomicFile. On failure `reason` (if given) gets the
// system's text and false is returned.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                                       std::string* reason = nullptr);

// Told when a temporary file comes and goes, so that a program stopped by a signal can remove it
// (the command-line tool does). One temporary file exists at a time.
class TemporaryFileWatch {
  public:
    virtual ~TemporaryFileWatch() = default;
    // Called just before the temporary file is created; from here to Created nothing may stop
    // the program unnoticed.
    virtual void Creating() = 0;
    // The temporary file exists under `path` (empty: it could not be created).
    virtual void Created(const std::string& path) = 0;
    // The temporary file is about to be removed, or has been renamed into place.
    virtual void Released() = 0;
};

// Installs the watch (not owned; nullptr removes it). Returns the previous one.
TemporaryFileWatch* SetTemporaryFileWatch(TemporaryFileWatch* watch);

}  // namespace tavrel

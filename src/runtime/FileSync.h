#pragma once

namespace lumadesk {

// Flushing a file's data to disk, the one system call a durable write cannot do without. Failing calls
// return -1 and leave the reason in errno, as fsync does. The real program uses fsync itself; tests
// record the calls to see that a write reaches the disk before it counts as done.
class FileSync {
public:
    virtual ~FileSync() = default;
    FileSync() = default;
    FileSync(const FileSync&) = delete;
    FileSync& operator=(const FileSync&) = delete;

    virtual int fsync(int descriptor) = 0;
};

// The running machine's fsync.
class RealFileSync final : public FileSync {
public:
    int fsync(int descriptor) override;
};

// The real file sync every writer shares unless it is given another.
FileSync& realFileSync();

}  // namespace lumadesk

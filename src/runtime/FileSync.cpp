#include "runtime/FileSync.h"

#include <unistd.h>

namespace lumadesk {

int RealFileSync::fsync(int descriptor) {
    return ::fsync(descriptor);
}

FileSync& realFileSync() {
    static RealFileSync sync;
    return sync;
}

}  // namespace lumadesk

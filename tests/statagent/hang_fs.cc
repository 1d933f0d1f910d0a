// A file system whose status calls on "/hang" never return: it stands in for
// a dead network file system under a backup client. The root answers, every
// other name does not exist. Usage: hang_fs <mountpoint> (runs in the
// foreground until killed).
#define FUSE_USE_VERSION 31
#include <fuse.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int GetAttr(const char* path, struct stat* record, struct fuse_file_info*) {
  if (std::strcmp(path, "/") == 0) {
    std::memset(record, 0, sizeof *record);
    record->st_mode = S_IFDIR | 0755;
    record->st_nlink = 2;
    return 0;
  }
  if (std::strcmp(path, "/hang") == 0) {
    for (;;) pause();
  }
  return -ENOENT;
}

int StatFs(const char*, struct statvfs* record) {
  std::memset(record, 0, sizeof *record);
  record->f_bsize = 4096;
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) return 2;
  struct fuse_operations operations = {};
  operations.getattr = GetAttr;
  operations.statfs = StatFs;
  // A thread per hung call, so that many agents can be stuck in the kernel
  // at once rather than queued (a queued call dies of SIGKILL).
  char* args[] = {argv[0], const_cast<char*>("-f"), const_cast<char*>("-o"),
                  const_cast<char*>("max_threads=200"), argv[1], nullptr};
  return fuse_main(5, args, &operations, nullptr);
}

#include "source_bytes.h"

#include <cerrno>
#include <cstring>

#include "file_bytes.h"

namespace qokit::msgcomp {

namespace {

long LineFeeds(const char* from, const char* to) {
  long count = 0;
  while (from < to) {
    const auto* feed = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(to - from)));
    if (feed == nullptr) break;
    ++count;
    from = feed + 1;
  }
  return count;
}

}  // namespace

SourceBytes::LoadFault SourceBytes::Load(std::FILE* const* streams, int count) {
  Clear();
  // Room for every source at once, so that none is copied again.
  std::size_t total = 0;
  for (int i = 0; i < count; ++i) total += (streams[i] != nullptr ? io::KnownSize(streams[i]) : 0) + 2;
  if (!bytes_.Reserve(total)) return {0, ENOMEM};
  for (int i = 0; i < count; ++i) {
    starts_[static_cast<std::size_t>(i)] = bytes_.size;
    if (streams[i] != nullptr) {
      std::rewind(streams[i]);
      // A source cut short by a read error would compile as if it ended there.
      if (!io::AppendStream(streams[i], bytes_)) return {i, errno};
    }
    if (!bytes_.Reserve(1)) return {i, ENOMEM};
    bytes_.data[bytes_.size++] = '\0';
  }
  for (int i = count; i <= kMaxSourceFiles; ++i) starts_[static_cast<std::size_t>(i)] = bytes_.size;
  loaded_ = true;
  return {};
}

void SourceBytes::Clear() {
  bytes_ = io::ByteBuffer{};
  starts_.fill(0);
  loaded_ = false;
  markFile_ = -1;
}

long SourceBytes::CountTo(int file, const char* at) {
  if (file != markFile_) {
    markFile_ = file;
    markAt_ = Begin(file);
    markLine_ = 1;
  }
  if (at >= markAt_) {
    markLine_ += LineFeeds(markAt_, at);
  } else {
    markLine_ -= LineFeeds(at, markAt_);
  }
  markAt_ = at;
  return markLine_;
}

}  // namespace qokit::msgcomp

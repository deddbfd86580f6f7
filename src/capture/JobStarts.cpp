#include "JobStarts.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace marlet {

int JobStarts::count() const {
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[16] = {};
    ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    int count = 0;
    for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9' && count < 1000; ++i)
        count = count * 10 + (text[i] - '0');
    return count;
}

void JobStarts::record(int count) const {
    int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    std::string text = std::to_string(count) + "\n";
    [[maybe_unused]] ssize_t ignored = ::write(fd, text.data(), text.size());
    // On disk before the job runs: a crash of the whole machine counts too.
    fsync(fd);
    ::close(fd);
}

void JobStarts::remove() const {
    std::remove(m_path.c_str());
}

} // namespace marlet

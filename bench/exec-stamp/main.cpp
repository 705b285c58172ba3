// Stands in for Pelvaro in the start benchmark: records the moment it was
// exec'd (CLOCK_MONOTONIC, in nanoseconds) in the file it is given, and
// exits. Nothing is loaded that a real start of Pelvaro would not load:
// an interpreter or a toolkit here would hide the difference measured.

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (argc < 2)
        return 2;
    char text[32];
    const int length =
        std::snprintf(text, sizeof text, "%lld\n",
                      static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    const int fd = ::open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return 1;
    const bool written = ::write(fd, text, size_t(length)) == length;
    ::close(fd);
    return written ? 0 : 1;
}

// The least a load of fixed records can cost on this machine, for the load
// benchmark to print beside tackedit-cli: map the file, write every record's
// time, latitude and longitude into three arrays on huge pages, add up the
// legs' straight lengths, print the sum. No checks, no marks, no cosines.
//   load-floor FILE RECORD_LENGTH [THREADS]

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double* HugeArray(std::size_t n)
{
    const std::size_t huge = std::size_t{2} << 20;
    const std::size_t bytes = (n * sizeof(double) + huge - 1) / huge * huge;
    void* raw = mmap(nullptr, bytes + huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(raw) + huge - 1) / huge * huge);
    madvise(aligned, bytes, MADV_HUGEPAGE);
    return reinterpret_cast<double*>(aligned);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: load-floor FILE RECORD_LENGTH [THREADS]\n");
        return 2;
    }
    const std::size_t record = std::strtoul(argv[2], nullptr, 10);
    const int threads = argc > 3 ? std::atoi(argv[3]) : 1;
    const int fd = open(argv[1], O_RDONLY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || record < 12 || threads < 1) {
        std::perror(argv[1]);
        return 1;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    const auto* data = static_cast<const char*>(mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0));
    const std::size_t n = size / record;
    double* time = HugeArray(n);
    double* lat = HugeArray(n);
    double* lon = HugeArray(n);
    if (data == MAP_FAILED || !time || !lat || !lon)
        return 1;
    std::vector<double> sums(static_cast<std::size_t>(threads));
    const auto work = [&](int part) {
        const std::size_t from = n * static_cast<std::size_t>(part) / static_cast<std::size_t>(threads);
        const std::size_t to = n * static_cast<std::size_t>(part + 1) / static_cast<std::size_t>(threads);
        double sum = 0;
        for (std::size_t r = from; r < to; ++r) {
            std::int32_t seconds;
            float la, lo;
            std::memcpy(&seconds, data + r * record, 4);
            std::memcpy(&la, data + r * record + 4, 4);
            std::memcpy(&lo, data + r * record + 8, 4);
            time[r] = static_cast<double>(std::int64_t{25569} * 86400 + seconds) / 86400;
            lat[r] = la * 60.0;
            lon[r] = lo * 60.0;
            if (r > from)
                sum += std::sqrt((lat[r] - lat[r - 1]) * (lat[r] - lat[r - 1]) +
                                 (lon[r] - lon[r - 1]) * (lon[r] - lon[r - 1]));
        }
        sums[static_cast<std::size_t>(part)] = sum;
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work, t);
    work(0);
    for (std::thread& t : helpers)
        t.join();
    double total = 0;
    for (const double s : sums)
        total += s;
    std::printf("%zu records, %.2f\n", n, total);
    return 0;
}
